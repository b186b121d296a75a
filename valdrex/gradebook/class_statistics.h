// Per class and subject: pass, excellent and low-score counts and the sum of the scores.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Absent scores take no part. sh is accepted and not read. Failures reach the caller.
void countClassResults(GradeBook& g, host::Worksheet& sh);

// The total's exam takers of every class: its students with a total, so a student without any
// score is not counted.
void countTotalTakers(GradeBook& g);

}  // namespace valdrex
