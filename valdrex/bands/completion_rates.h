// "完成率表": each class measured against two per-class targets typed in at the run.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

void 完成率统计(GradeBook& g, host::Worksheet& sh, host::Ui& ui, host::Clock& clock);

}  // namespace valdrex
