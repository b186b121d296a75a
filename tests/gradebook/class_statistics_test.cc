#include "valdrex/gradebook/class_statistics.h"

#include <gtest/gtest.h>

#include <memory>

#include "valdrex/gradebook/loading.h"
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
  EXPECT_EQ(g->scores(1, 6, 3), 0.0f);
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

}  // namespace
}  // namespace valdrex
