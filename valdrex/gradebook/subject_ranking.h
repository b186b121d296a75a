// Ranks of every student within the class and within the grade, per subject and total.
#pragma once

#include "valdrex/gradebook/grade_book.h"

namespace valdrex {

// Competition ranks (95, 95, 90 -> 1, 1, 3); an absent score gets rank 0 in both tables.
// Failures reach the caller.
void rankSubjects(GradeBook& g);

}  // namespace valdrex
