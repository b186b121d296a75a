// The class comparison "两率一分": pass rate, excellent rate and average, composite and ranks.
#pragma once

#include <string>
#include <vector>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// The header row of every block; lowRate adds "低分率" (the property sheet's label decides).
std::vector<std::string> twoRatesHeader(bool lowRate);

// Fills sh. wb is accepted and not used. Failures end it and reach the caller. Every rate's and
// average's rounding goes to trace.
void writeTwoRates(GradeBook& g, host::Workbook& wb, host::Worksheet& sh, host::Clock& clock,
                   const RoundingTrace& trace = {});

}  // namespace valdrex
