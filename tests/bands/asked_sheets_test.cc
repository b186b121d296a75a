// The rules of "一分一段表" and "临界生": where a score falls among the steps, the running count
// and share, the ranks a step holds; how close to a line or a tier a student is.
#include <gmock/gmock.h>

#include "bands/band_book.h"
#include "support/scripted_ui.h"
#include "valdrex/bands/near_lines.h"
#include "valdrex/bands/score_segments.h"
#include "valdrex/host/failure.h"

namespace valdrex {
namespace {

using testing::bookOf;
using ::testing::ElementsAre;

struct Row {
  int32_t low;
  int count, cumulative;
  double percent;
  std::string ranks;
};

std::vector<Row> rowsOf(const std::vector<ScoredStudent>& students, int32_t step) {
  std::vector<Row> rows;
  for (const ScoreSegment& s : scoreSegments(students, step))
    rows.push_back({s.low, s.count, s.cumulative, s.percent, rankSpan(s)});
  return rows;
}

bool operator==(const Row& a, const Row& b) {
  return a.low == b.low && a.count == b.count && a.cumulative == b.cumulative &&
         a.percent == b.percent && a.ranks == b.ranks;
}
void PrintTo(const Row& r, std::ostream* os) {
  *os << r.low << " " << r.count << " " << r.cumulative << " " << r.percent << " " << r.ranks;
}

TEST(ScoreSegments, StepsAlignToMultiplesOfTheStepAndHoldTheirLowerBound) {
  // 605 opens its own step; 600 and 604.9 share 600-604.9; 599.9 is below it.
  const std::vector<ScoredStudent> students = {{6000, 3}, {6049, 2}, {6050, 1}, {5999, 4}};
  EXPECT_THAT(
      rowsOf(students, 50),
      ElementsAre(Row{6050, 1, 1, 25, "1"}, Row{6000, 2, 3, 75, "2-3"}, Row{5950, 1, 4, 100, "4"}));
  // A step of a point: 604.9 belongs to 604.
  EXPECT_THAT(rowsOf({{6049, 1}, {6040, 2}}, 10), ElementsAre(Row{6040, 2, 2, 100, "1-2"}));
}

TEST(ScoreSegments, TiesShareTheirRankAndEmptyStepsAreListedWithZero) {
  // 100, 100 rank 1; 97 rank 3: the steps 99 and 98 have nobody.
  EXPECT_THAT(rowsOf({{1000, 1}, {1000, 1}, {970, 3}}, 10),
              ElementsAre(Row{1000, 2, 2, 66.67, "1"}, Row{990, 0, 2, 66.67, ""},
                          Row{980, 0, 2, 66.67, ""}, Row{970, 1, 3, 100, "3"}));
  EXPECT_TRUE(scoreSegments({}, 10).empty());
}

TEST(ScoreSegments, SharesHaveTwoDecimalsWithHalvesToEven) {
  // 1 of 32 is 3.125 %: shown 3.12.
  std::vector<ScoredStudent> students = {{1000, 1}};
  for (int k = 2; k <= 32; ++k) students.push_back({500, 2});
  EXPECT_EQ(scoreSegments(students, 500).front().percent, 3.12);
  EXPECT_EQ(scoreSegments(students, 500).back().percent, 100);
}

TEST(ScoreSegments, Labels) {
  EXPECT_EQ(segmentLabel(6000, 10), "600");
  EXPECT_EQ(segmentLabel(875, 1), "87.5");
  EXPECT_EQ(segmentLabel(6000, 50), "600-604.9");
  EXPECT_EQ(segmentLabel(0, 100), "0-9.9");
  EXPECT_EQ(segmentLabel(870, 5), "87-87.4");
}

TEST(ScoreSegments, AbsentStudentsAreNotCounted) {
  // The second student misses 数学; the third misses everything and has no total.
  const GradeBook g = bookOf({100, 100}, {{{90, 80}, {70, kAbsent}, {kAbsent, kAbsent}}});
  const std::vector<ScoredStudent> total = scoredStudents(g, 3);
  ASSERT_EQ(total.size(), 2u);
  EXPECT_EQ(total[0].tenths, 1700);
  EXPECT_EQ(total[1].tenths, 700);
  EXPECT_EQ(total[1].rank, 2);
  EXPECT_EQ(scoredStudents(g, 2).size(), 1u);
}

TEST(ScoreSegments, TablesPastTheSheetsLastRowAreNotWritten) {
  // Steps of a tenth from 0 to 4000: 40001 rows; the sheet keeps what it had.
  const GradeBook g = bookOf({4000}, {{{0}, {4000}}});
  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet("一分一段表");
  sh.setCell(1, 1, "上次的");
  host::FixedClock clock{{2026, 12, 6}};
  EXPECT_EQ(segmentCount(scoredStudents(g, 2), 1), 40001);
  EXPECT_THROW(writeScoreSegments(g, sh, 1, false, clock), Failure);
  EXPECT_EQ(textOf(sh.cell(1, 1)), "上次的");
  writeScoreSegments(g, sh, 10, false, clock);  // 4001 rows fit
  EXPECT_EQ(textOf(sh.cell(4, 1)), "4000");
  EXPECT_EQ(textOf(sh.cell(4 + 4000, 1)), "0");
}

TEST(NearLines, MarginsAreTenthsOfTheFullMark) {
  EXPECT_EQ(marginTenths(150, 5), 75);
  EXPECT_EQ(marginTenths(750, 5), 375);
  EXPECT_EQ(marginTenths(100, 2.5), 25);
  EXPECT_EQ(marginTenths(5, 1), 0);  // 0.05 rounds to even
}

TEST(NearLines, BelowAndAboveALine) {
  const ScoreLine l{900, 75};  // line 90, margin 7.5
  struct Case {
    int32_t score;
    bool below, above;
  } cases[] = {
      {900, false, true},                       // at the line: over it
      {899, true, false},                       // one tenth below
      {825, true, false},                       // exactly L − m
      {824, false, false}, {974, false, true},  // just inside L + m
      {975, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(justBelowLine(l, c.score), c.below) << c.score;
    EXPECT_EQ(justAboveLine(l, c.score), c.above) << c.score;
  }
}

TEST(NearLines, TierWindowsAreATenthRoundedUpAtLeastOne) {
  struct Case {
    int size, window;
  } cases[] = {{50, 5}, {45, 5}, {41, 5}, {40, 4}, {200, 20}, {5, 1}, {1, 1}};
  for (const Case& c : cases) EXPECT_EQ(tierWindow(c.size), c.window) << c.size;
  EXPECT_FALSE(justOutsideTier(50, 50));
  EXPECT_TRUE(justOutsideTier(50, 51));
  EXPECT_TRUE(justOutsideTier(50, 55));
  EXPECT_FALSE(justOutsideTier(50, 56));
  EXPECT_FALSE(lastInsideTier(50, 45));
  EXPECT_TRUE(lastInsideTier(50, 46));
  EXPECT_TRUE(lastInsideTier(50, 50));
  EXPECT_FALSE(lastInsideTier(50, 51));
  EXPECT_TRUE(lastInsideTier(1, 1));
}

TEST(NearLines, ListsPerLineAndTierByClassClosestFirst) {
  // One subject out of 100, excellent 90, pass 60; margin 5 % = 5 points.
  GradeBook g = bookOf({100}, {{{89.9f}, {85}, {90}, {60}, {kAbsent}}, {{84.9f}, {86}, {59}}});
  for (int j : {1, 2}) g.markLines(2, j) = 90, g.markLines(3, j) = 60;
  const auto lists = nearLists(g, CompletionTargets{1, 2}, 5);
  // Total and 语文 each: excellent below/above, pass below/above; the tiers 2 and 4.
  ASSERT_EQ(lists.size(), 12u);
  EXPECT_EQ(lists[0].title, "总分：差一点到优秀线（85≤分数<90）");
  std::vector<std::tuple<int, int, int32_t, int32_t>> got;
  for (const NearStudent& s : lists[0].students)
    got.emplace_back(s.classIndex, s.student, s.value, s.distance);
  EXPECT_THAT(got, ElementsAre(std::tuple{1, 1, 899, 1}, std::tuple{1, 2, 850, 50},
                               std::tuple{2, 2, 860, 40}));
  EXPECT_EQ(lists[1].students.size(), 1u);  // 90
  EXPECT_EQ(lists[2].title, "总分：差一点到及格线（55≤分数<60）");
  ASSERT_EQ(lists[2].students.size(), 1u);  // 59
  EXPECT_EQ(lists[3].students.size(), 1u);  // 60
  // Tier 1 is the best 2 (90 and 89.9); window 1: rank 3 just outside, rank 2 the last inside.
  EXPECT_EQ(lists[4].title, "总分：差一点进一档前2名（第3名）");
  ASSERT_EQ(lists[4].students.size(), 1u);
  EXPECT_EQ(lists[4].students[0].value, 3);
  EXPECT_EQ(lists[5].students[0].value, 2);
  EXPECT_EQ(lists[5].students[0].distance, 0);
  EXPECT_EQ(lists[8].title, "语文：差一点到优秀线（85≤分数<90）");
  // Without the targets (questions cancelled) no tier lists.
  EXPECT_EQ(nearLists(g, std::nullopt, 5).size(), 8u);
  // A line left at 0 has no lists.
  g.markLines(3, 1) = 0;
  EXPECT_EQ(nearLists(g, std::nullopt, 5).size(), 6u);
  EXPECT_THAT(linesWithoutLists(g), ElementsAre("语文及格线"));
}

}  // namespace
}  // namespace valdrex
