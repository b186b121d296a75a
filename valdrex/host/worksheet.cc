#include "valdrex/host/worksheet.h"

#include <algorithm>

namespace valdrex::host {

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

Range between(int rowA, int colA, int rowB, int colB) {
  return Range{std::min(rowA, rowB), std::min(colA, colB), std::max(rowA, rowB),
               std::max(colA, colB)};
}

}  // namespace valdrex::host
