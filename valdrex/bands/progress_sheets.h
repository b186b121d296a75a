// "进退步" and "进退步汇总": this exam against an earlier one, student by student and class by
// class.
#pragma once

#include <string>
#include <vector>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/levels.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Clears sh and writes every student of both exams (of `now`, a grade book after the run, and
// `before`), then those of one exam only and what could not be paired. Returns what could not
// be paired, to be told. `ranksHidden`: the rank columns stay empty and the students go by class
// and seat, so that no order tells a rank. `levels`: each exam's total level after the
// other columns, the earlier one's given by the same scheme.
std::vector<std::string> writeProgress(const GradeBook& now, const GradeBook& before,
                                       host::Worksheet& sh, host::Clock& clock,
                                       bool ranksHidden = false,
                                       const LevelScheme* levels = nullptr);

// Clears sh and writes, per class and for the grade, how many moved up, down or stayed within
// `step` grade ranks, the average rank change and each subject's change of the average.
void writeProgressSummary(const GradeBook& now, const GradeBook& before, host::Worksheet& sh,
                          int step, host::Clock& clock);

}  // namespace valdrex
