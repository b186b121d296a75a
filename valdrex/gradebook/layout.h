// Discovering the score sheet's layout: header row, class and seat columns, subjects, students.
#pragma once

#include <string_view>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// What the loading takes a score sheet header for; the workbook checks ask the same.
inline bool isClassHeader(std::string_view header) {
  return header == ScoreSheetLayout::classHeader;
}
inline bool isSeatHeader(std::string_view header) {
  return header == ScoreSheetLayout::seatHeader || header == ScoreSheetLayout::examNumberHeader;
}
// The subjects run from the first subject column up to the first empty header or "总分".
inline bool endsSubjects(std::string_view header) {
  return header.empty() || header == ScoreSheetLayout::totalHeader;
}
// The student list runs from the first student row while the seat or the name column is filled.
bool isStudentRow(const host::Worksheet& sh, int row);

// Resets the counters and finds the layout of score sheet sh. Stops at the first failure, shows
// the limits message and returns normally.
void findLayout(GradeBook& g, host::Worksheet& sh, host::Ui& ui);

// findLayout, then studentCount as a double; goes on after any failure.
double countStudents(GradeBook& g, host::Worksheet& sh, host::Ui& ui);

}  // namespace valdrex
