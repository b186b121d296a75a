// Cell names as a spreadsheet shows them ("C5"), for messages that point the teacher to a cell.
#pragma once

#include <string>

namespace valdrex::cli {

// Column letters of a 1-based column: 1 -> "A", 27 -> "AA".
std::string columnName(int col);
// "C5"
std::string cellName(int row, int col);
// "分数段统计!C5"
std::string sheetCellName(const std::string& sheet, int row, int col);

}  // namespace valdrex::cli
