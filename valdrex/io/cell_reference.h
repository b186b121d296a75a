// A1-style cell and range references, within the sheet's size (A1 to XFD1048576).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "valdrex/host/worksheet.h"

namespace valdrex::io {

struct CellPosition {
  int row = 1;
  int col = 1;
  friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

// "B12" -> {12, 2}. Empty when malformed or beyond the sheet (row > 1048576, column > XFD).
std::optional<CellPosition> parseCell(std::string_view text);
// "A1:C3" or a single "B2"; corners put in order.
std::optional<host::Range> parseRange(std::string_view text);

using host::cellName;
using host::columnName;

}  // namespace valdrex::io
