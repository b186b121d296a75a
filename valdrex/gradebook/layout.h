// Discovering the score sheet's layout: header row, class and seat columns, subjects, students.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Resets the counters and finds the layout of score sheet sh. Stops at the first failure, shows
// the limits message and returns normally.
void 初始化(GradeBook& g, host::Worksheet& sh, host::Ui& ui);

// 初始化, then 总人数 as a double; goes on after any failure.
double F总人数(GradeBook& g, host::Worksheet& sh, host::Ui& ui);

}  // namespace valdrex
