#include "cli/cell_name.h"

namespace valdrex::cli {

std::string sheetCellName(const std::string& sheet, int row, int col) {
  return sheet + "!" + cellName(row, col);
}

}  // namespace valdrex::cli
