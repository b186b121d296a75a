// Reading workbook files for the commands, each failure told on the error stream.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "valdrex/host/memory_workbook.h"

namespace valdrex::cli {

// The workbook, or nullptr after telling `err` what is wrong and what to do.
std::unique_ptr<host::MemoryWorkbook> readWorkbookOrTell(const std::string& path,
                                                         std::ostream& err);

}  // namespace valdrex::cli
