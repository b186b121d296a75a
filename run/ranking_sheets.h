// The four ranking sheets sorted and given their title rows.
#pragma once

#include "gradebook/grade_book.h"
#include "host/ui.h"
#include "host/worksheet.h"

namespace valdrex {

// Phase 1: each sheet's old title row removed and its students sorted.
void sortRankingSheets(const GradeBook& g, host::Workbook& wb);
// Phase 2: title rows with the date; per-class sheets get one block per class.
void titleRankingSheets(const GradeBook& g, host::Workbook& wb, host::Clock& clock);

}  // namespace valdrex
