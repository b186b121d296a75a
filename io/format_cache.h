// The writer's cell formats: one library format object per distinct (borders, alignment,
// number format), made on first use.
#pragma once

#include <string>
#include <unordered_map>

#include "host/memory_workbook.h"

struct lxw_workbook;
struct lxw_format;

namespace valdrex::io {

// What a date shows when its cell has no number format of its own.
inline constexpr const char* kDefaultDateFormat = "yyyy/m/d";

class FormatCache {
 public:
  explicit FormatCache(lxw_workbook* workbook) : workbook_(workbook) {}

  // nullptr for a cell that needs no format. A date without a number format gets the default
  // date format.
  lxw_format* get(const host::CellFormat& format, bool date);
  // A format with nothing set: a cell in a formatted row that has no format of its own needs it,
  // or the library would give the cell the row's format.
  lxw_format* plain();

 private:
  lxw_workbook* workbook_;
  std::unordered_map<std::string, lxw_format*> formats_;
  // Neighbouring cells mostly share a format; the last answer saves the lookup.
  host::CellFormat lastFormat_;
  bool lastDate_ = false;
  lxw_format* last_ = nullptr;
  lxw_format* plain_ = nullptr;
};

}  // namespace valdrex::io
