// "一分一段表": how many students hold each score step, from the highest score down, with the
// running count, its share and the grade ranks the step's students hold.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

inline constexpr std::array<std::string_view, 5> kSegmentHeader = {"分数段", "人数", "累计人数",
                                                                   "累计百分比", "位次"};

// A student with a score in the column counted: the score in tenths and its grade rank.
struct ScoredStudent {
  int32_t tenths = 0;
  int rank = 0;
};

// The scores in [low, low + step), in tenths.
struct ScoreSegment {
  int32_t low = 0;
  int count = 0;
  int cumulative = 0;  // students at this step or above
  double percent = 0;  // cumulative over every student counted, in percent, two decimals
  int bestRank = 0;    // the ranks the step's students hold; 0 for an empty step
  int worstRank = 0;
};

// One row per step of `step` tenths (step > 0), each aligned to a multiple of the step, from the
// highest student's step down to the lowest's; the steps between without a student are there with
// 0. Empty without students.
std::vector<ScoreSegment> scoreSegments(std::vector<ScoredStudent> students, int32_t step);

// How many rows scoreSegments would give, without making them.
int64_t segmentCount(const std::vector<ScoredStudent>& students, int32_t step);

// "600" for a step of a whole point or a tenth, else the step's first and last score,
// "600-604.9".
std::string segmentLabel(int32_t low, int32_t step);

// "31-35", or "31" when the step's students share one rank; empty for an empty step.
std::string rankSpan(const ScoreSegment& segment);

// The students with a score in subject j (the total's at subjectCount + 1), whoever is absent
// left out.
std::vector<ScoredStudent> scoredStudents(const GradeBook& g, int j);

// Clears sh and writes the total's table, then with `allSubjects` every subject's, steps of
// `step` tenths, under a title row with today's date. A Failure, with sh as it was, when the
// tables would run past the sheet's last row (full marks far larger than the step).
// `ranksHidden`: the ranks column stays empty.
void writeScoreSegments(const GradeBook& g, host::Worksheet& sh, int32_t step, bool allSubjects,
                        host::Clock& clock, bool ranksHidden = false);

}  // namespace valdrex
