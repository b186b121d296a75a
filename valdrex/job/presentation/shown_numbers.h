// Rates and averages shown alike: two decimals, so that a rate of 24 stands as 24.00 beside
// 26.53. Only how the cells show them changes; the values stay as the run computed them.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

inline constexpr const char* kTwoDecimals = "0.00";

// The rate and average columns of "两率一分" and "完成率表", every table the run wrote, its total
// row included. A sheet whose first table is not where the layout puts it is left alone.
void showTwoDecimals(host::Workbook& wb, const GradeBook& g);

}  // namespace valdrex
