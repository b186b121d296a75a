// Ranking one row's value against other rows directly on a worksheet.
#pragma once

#include <string>

#include "valdrex/host/variant.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Writes into cell (row, rankColumn) of sh 1 + the number of rows firstRow..lastRow whose cell
// in column valueColumn is greater than cell (row, valueColumn). Returns Empty. Failures reach
// the caller.
Variant writeRank(const Variant& row, const Variant& firstRow, const Variant& lastRow,
                  const Variant& valueColumn, const Variant& rankColumn, host::Worksheet& sh);

// The rank of the row's value in valueColumn among the rows from 3 down (until valueColumn is
// empty) whose value in groupColumn equals the row's. The sheet named sheetName of the active
// workbook is looked up by name for every cell read. Writes nothing.
Variant groupRank(const Variant& groupColumn, const Variant& valueColumn, const Variant& row,
                  const std::string& sheetName, host::Workbook& activeWorkbook);

}  // namespace valdrex
