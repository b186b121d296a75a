// "名次段统计": per subject and total, class counts by grade-rank band.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

void writeRankBands(GradeBook& g, host::Worksheet& sh, host::Ui& ui, host::Clock& clock);

}  // namespace valdrex
