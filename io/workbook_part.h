// The workbook part: the sheets in their order, and the settings kept for writing the file back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

  static WorkbookPart parse(const std::string& part, std::string_view xml);
};

}  // namespace valdrex::io
