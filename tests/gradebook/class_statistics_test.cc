#include "gradebook/class_statistics.h"

#include <gtest/gtest.h>

#include <memory>

#include "host/memory_workbook.h"

namespace valdrex {
namespace {

TEST(ClassStatistics, CountsAtTheMarksAndLeavesAbsentScoresOut) {
  auto g = std::make_unique<GradeBook>();
  g->km = 1;
  g->班级数 = 1;
  g->classSizes(1) = 6;
  const float scores[] = {90, 85, 60, 59.9f, 39.5f, kAbsent};
  for (int s = 1; s <= 6; ++s) g->scores(1, s, 1) = g->scores(1, s, 2) = scores[s - 1];
  g->markLines(2, 1) = 85, g->markLines(3, 1) = 60, g->markLines(4, 1) = 40;
  g->markLines(2, 2) = 0;   // the total column: every present score is excellent
  g->passCounts(2, 1) = 4;  // a class beyond the count keeps its figures
  host::MemoryWorkbook book;
  for (int call = 1; call <= 2; ++call) {  // counted afresh by every call
    统计(*g, book.addSheet("表" + std::to_string(call)));
    EXPECT_EQ(g->passCounts(1, 1), 3);
    EXPECT_EQ(g->excellentCounts(1, 1), 2);
    EXPECT_EQ(g->lowCounts(1, 1), 1);
    EXPECT_NEAR(g->scoreSums(1, 1), 334.4, 1e-5);
    EXPECT_EQ(g->excellentCounts(1, 2), 5);
    EXPECT_EQ(g->lowCounts(1, 2), 0);
  }
  EXPECT_EQ(g->passCounts(2, 1), 4);
}

}  // namespace
}  // namespace valdrex
