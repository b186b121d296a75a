// Ranking one row's value against other rows directly on a worksheet.
#pragma once

#include <string>

#include "valdrex/host/variant.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Writes into cell (a, e) of f 1 + the number of rows b..c whose cell in column d is greater
// than cell (a, d). Returns Empty. Failures reach the caller.
Variant 排名(const Variant& a, const Variant& b, const Variant& c, const Variant& d,
             const Variant& e, host::Worksheet& f);

// The rank of row d's value in column c among the rows from 3 down (until column c is empty)
// whose group value in column b equals row d's. Sheet f of the active workbook is looked up by
// name for every cell read. Writes nothing.
Variant 新排名(const Variant& b, const Variant& c, const Variant& d, const std::string& f,
               host::Workbook& activeWorkbook);

}  // namespace valdrex
