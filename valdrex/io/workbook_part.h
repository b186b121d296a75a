// The workbook part: the sheets in their order, and the settings kept for writing the file back.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/io/zip_archive.h"

namespace valdrex::io {

struct SheetEntry {
  std::string name;
  std::string relationshipId;
  bool hidden = false;  // "hidden" and "veryHidden" alike
};

struct WorkbookPart {
  std::vector<SheetEntry> sheets;
  bool date1904 = false;
  std::size_t activeTab = 0;

  // More sheets than maxSheets is a FormatProblem, raised when the one too many is met.
  static WorkbookPart parse(const std::string& part, std::string_view xml,
                            std::size_t maxSheets = std::numeric_limits<std::size_t>::max());
  // The same, streamed from the package.
  static WorkbookPart read(ZipArchive& zip, const std::string& part, std::size_t maxSheets);
};

}  // namespace valdrex::io
