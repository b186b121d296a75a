#include "valdrex/job/session/cell_name.h"

namespace valdrex {

std::string sheetCellName(const std::string& sheet, int row, int col) {
  return sheet + "!" + cellName(row, col);
}

}  // namespace valdrex
