// The cell formats of a workbook's styles part, as far as the in-memory model keeps them:
// border edges, horizontal alignment and the number format (which also tells dates apart).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/memory_workbook.h"

namespace valdrex::io {

struct CellStyle {
  host::CellFormat format;
  bool date = false;  // a number in this style is a date
};

class StyleTable {
 public:
  static StyleTable parse(const std::string& part, std::string_view xml);

  // The style a cell's s attribute names; the default style for an index the table lacks.
  const CellStyle& at(std::size_t index) const {
    return index < styles_.size() ? styles_[index] : default_;
  }

 private:
  std::vector<CellStyle> styles_;
  CellStyle default_;
};

}  // namespace valdrex::io
