// The shared string table of a workbook: cells of type "s" hold an index into it.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/shared_text.h"
#include "valdrex/io/read_limits.h"
#include "valdrex/io/zip_archive.h"

namespace valdrex::io {

// Streams the part through the parser; more items than the limit, or more text or elements than
// is left of the allowances, is a FormatProblem. Each cell of the item shares its text.
std::vector<host::SharedText> readSharedStrings(ZipArchive& zip, const std::string& part,
                                                const ReadLimits& limits, Allowance& text,
                                                Allowance& elements);

}  // namespace valdrex::io
