// Loading the class list, the students' scaled scores and the property sheet's settings.
#pragma once

#include <cstdint>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Builds classNames, classSizes and 班级数. Stops at the first failure with the limits message.
void 载入班级(GradeBook& g, host::Worksheet& sh, host::Ui& ui);

// 载入班级(sh1), then lists the class names in column 1 of sh2 from row 18 and clears the names
// left below them. Skips failing steps; returns 班级数.
int16_t F班级数(GradeBook& g, host::Worksheet& sh1, host::Worksheet& sh2, host::Ui& ui);

// Loads every student's texts and scaled scores from sh and the settings of the property sheet
// sx. A missing property sheet (nullptr) is a failure like any other: the load stops at the first
// failure with the limits message.
void 载入成绩(GradeBook& g, host::Worksheet& sh, host::Worksheet* sx, host::Ui& ui);

// Each student's total of the scores present. Skips entries outside the tables.
void 求和(GradeBook& g);

}  // namespace valdrex
