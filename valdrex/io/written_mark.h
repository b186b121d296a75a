// The mark a statistics result carries in its custom document properties: a digest of every other
// part, so that a later save can tell a result it wrote and nobody changed since from one a
// teacher edited, or from any other file, which is then kept as a backup. Nothing else is marked:
// a teacher's own workbook, even one Valdrex rewrote, is never replaced without a backup.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "valdrex/io/zip_archive.h"

namespace valdrex::io {

inline constexpr std::string_view kWrittenMarkName = "Valdrex写入摘要";

// The digest of every part but `excluded`, from the parts' checksums and sizes; the order the
// parts are stored in does not matter.
std::string partsDigest(std::vector<PartSum> parts, std::string_view excluded);

// The custom properties part `xml` (empty: none yet) with the mark set to `digest`; every other
// property is kept as it was.
std::string withWrittenMark(const std::string& xml, const std::string& digest);

// Whether the file at `path` is a result whose mark still matches every part: false when it has
// none, when any part changed, or when it cannot be read.
bool unchangedResult(const std::string& path);

}  // namespace valdrex::io
