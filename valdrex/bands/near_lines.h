// "临界生": the students close to a line, below it (who may still be pulled across) and above it
// (who may slip): the excellent and pass lines of every subject and of the total, and the total's
// two completion tiers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/bands/completion_targets.h"
#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// A score line and its margin, in tenths.
struct ScoreLine {
  int32_t line = 0;
  int32_t margin = 0;
};

// `percent` of `fullMark`, in tenths rounded to even.
int32_t marginTenths(int fullMark, double percent);
// L − m ≤ score < L.
bool justBelowLine(const ScoreLine& l, int32_t score);
// L ≤ score < L + m.
bool justAboveLine(const ScoreLine& l, int32_t score);

// The ranks close to a tier of the grade's best `size`: a tenth of the tier, rounded up, at least
// one.
int tierWindow(int size);
// size < rank ≤ size + window.
bool justOutsideTier(int size, int rank);
// size − window < rank ≤ size.
bool lastInsideTier(int size, int rank);

struct NearStudent {
  int classIndex = 0;
  int student = 0;
  int32_t value = 0;     // the score in tenths, or the grade rank for a tier
  int32_t distance = 0;  // from the line: tenths of a point, or places
};

struct NearList {
  std::string title;
  bool byRank = false;                // a tier's list
  bool below = true;                  // the students under the line; else those just over it
  std::vector<NearStudent> students;  // by class, the closest to the line first
};

// Every list: the total's first (excellent line, pass line, then the tiers when `targets` are
// known), then each subject's. A line the property sheet leaves at 0 has no lists.
std::vector<NearList> nearLists(const GradeBook& g, const std::optional<CompletionTargets>& targets,
                                double marginPercent);

// The lines that have no lists because the property sheet leaves them (or the full mark) at 0,
// named like "语文优秀线".
std::vector<std::string> linesWithoutLists(const GradeBook& g);

// Clears sh and writes the count table and every list, under a title row with today's date.
void writeNearLines(const GradeBook& g, host::Worksheet& sh, const std::vector<NearList>& lists,
                    double marginPercent, host::Clock& clock);

}  // namespace valdrex
