// Cell names as a spreadsheet shows them ("C5"), for messages that point the teacher to a cell.
#pragma once

#include <string>

#include "valdrex/host/worksheet.h"

namespace valdrex {

using host::cellName;
using host::columnName;
// "分数段统计!C5"
std::string sheetCellName(const std::string& sheet, int row, int col);

}  // namespace valdrex
