// "成绩条": one slip per student for the school to hand out, each showing only that student's own
// results.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/levels.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

struct SlipContent {
  const StudentLevels* levels = nullptr;         // each score's level beside it
  bool ranksHidden = false;                      // no rank column at all
  const GradeBook* earlier = nullptr;            // the change against this earlier exam
  const StudentLevels* earlierLevels = nullptr;  // and the level it gave, with levels
};

// Clears sh and writes a slip per student of a ranked grade book (SlipSheetLayout). Failures
// reach the caller.
void writeSlips(const GradeBook& g, host::Worksheet& sh, const SlipContent& content);

}  // namespace valdrex
