// The class comparison "两率一分": pass rate, excellent rate and average, composite and ranks.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Fills sh. wb is accepted and not used. Failures end it and reach the caller.
void 两率一分(GradeBook& g, host::Workbook& wb, host::Worksheet& sh, host::Clock& clock);

}  // namespace valdrex
