#include "valdrex/gradebook/class_statistics.h"

#include <gtest/gtest.h>

#include <memory>

#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/subject_ranking.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {
namespace {

// Absent scores take no part in totals, counts or sums.
TEST(ClassStatistics, TotalsAndCountsAtTheMarksLeaveAbsentScoresOut) {
  auto g = std::make_unique<GradeBook>();
  g->subjectCount = 2;
  g->classCount = 2;
  g->classSizes(1) = 6;
  g->classSizes(2) = 150;  // students beyond the tables are skipped
  const float first[] = {90, 85, 60, 59.9f, 39.5f, kAbsent};
  for (int s = 1; s <= 6; ++s) g->scores(1, s, 1) = first[s - 1], g->scores(1, s, 2) = kAbsent;
  g->scores(1, 1, 2) = 80.5f;
  g->scores(2, 100, 2) = 7;
  sumTotals(*g);
  EXPECT_EQ(g->scores(1, 1, 3), 170.5f);
  EXPECT_EQ(g->scores(1, 6, 3), kAbsent);  // no score at all: no total
  EXPECT_EQ(g->scores(2, 100, 3), 7.0f);

  g->subjectCount = 1;
  for (int s = 1; s <= 6; ++s) g->scores(1, s, 2) = first[s - 1];
  g->markLines(2, 1) = 85, g->markLines(3, 1) = 60, g->markLines(4, 1) = 40;
  g->markLines(2, 2) = 0;  // the total column: every present score is excellent
  g->classSizes(2) = 0;
  g->passCounts(3, 1) = 4;  // a class beyond the count keeps its figures
  host::MemoryWorkbook book;
  for (int call = 1; call <= 2; ++call) {  // counted afresh by every call
    countClassResults(*g, book.addSheet("表" + std::to_string(call)));
    EXPECT_EQ(g->passCounts(1, 1), 3);
    EXPECT_EQ(g->excellentCounts(1, 1), 2);
    EXPECT_EQ(g->lowCounts(1, 1), 1);
    EXPECT_NEAR(g->scoreSums(1, 1), 334.4, 1e-5);
    EXPECT_EQ(g->excellentCounts(1, 2), 5);
    EXPECT_EQ(g->lowCounts(1, 2), 0);
  }
  EXPECT_EQ(g->passCounts(3, 1), 4);
}

// Totals are summed in whole tenths, so scores adding up to the same total give the same number
// (a single-precision sum gave 531.6999 for one of them and 599.9999 for the 600). A student
// without any score did not sit: no total, no rank, not counted.
TEST(ClassStatistics, TotalsAreExactAndAStudentWithoutAnyScoreHasNone) {
  const struct {
    float scores[5];
    float total;
    int16_t schoolRank;
  } cases[] = {
      {{130, 141, 106.5f, 136.1f, 18.1f}, 531.7f, 2},
      {{86.8f, 88.8f, 149.7f, 146.3f, 60.1f}, 531.7f, 2},
      {{140.2f, 121.6f, 111.9f, 101.2f, 125.1f}, 600, 1},
      {{kAbsent, kAbsent, kAbsent, kAbsent, kAbsent}, kAbsent, 0},
      {{kAbsent, 0, kAbsent, kAbsent, kAbsent}, 0, 4},  // a score of 0 was sat
  };
  auto g = std::make_unique<GradeBook>();
  g->subjectCount = 5;
  g->classCount = 1;
  g->classSizes(1) = std::size(cases);
  for (int s = 1; s <= g->classSizes(1); ++s)
    for (int j = 1; j <= 5; ++j) g->scores(1, s, j) = cases[s - 1].scores[j - 1];
  g->markLines(4, 6) = 100;
  sumTotals(*g);
  rankSubjects(*g);
  countTotalTakers(*g);
  host::MemoryWorkbook book;
  countClassResults(*g, book.addSheet("表"));
  for (int s = 1; s <= g->classSizes(1); ++s) {
    EXPECT_EQ(g->scores(1, s, 6), cases[s - 1].total) << s;
    EXPECT_EQ(g->schoolRanks(1, s, 6), cases[s - 1].schoolRank) << s;
    EXPECT_EQ(g->classRanks(1, s, 6), cases[s - 1].schoolRank) << s;
  }
  EXPECT_EQ(g->examineeCounts(1, 6), 4);
  EXPECT_EQ(g->lowCounts(1, 6), 1);
  EXPECT_NEAR(g->scoreSums(1, 6), 1663.4, 1e-3);
}

}  // namespace
}  // namespace valdrex
