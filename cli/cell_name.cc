#include "cli/cell_name.h"

namespace valdrex::cli {

std::string columnName(int col) {
  std::string name;
  while (col > 0) {
    int digit = (col - 1) % 26;
    name.insert(name.begin(), static_cast<char>('A' + digit));
    col = (col - 1) / 26;
  }
  return name;
}

std::string cellName(int row, int col) { return columnName(col) + std::to_string(row); }

std::string sheetCellName(const std::string& sheet, int row, int col) {
  return sheet + "!" + cellName(row, col);
}

}  // namespace valdrex::cli
