#include "valdrex/gradebook/levels.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "valdrex/gradebook/subject_ranking.h"

namespace valdrex {
namespace {

// Level k holds the grade ranks up to ⌈N × (shares up to k) ÷ 100⌉; a tie takes the level of
// the rank it shares, which is where its first member falls.
TEST(Levels, ByRankAtTheBoundaries) {
  const std::vector<int> fiveLevels = {15, 35, 35, 13, 2};
  struct Case {
    int rank, ranked;
    std::vector<int> shares;
    int level;
  } cases[] = {
      {15, 100, fiveLevels, 0},  // exactly the first 15 of 100
      {16, 100, fiveLevels, 1},
      {50, 100, fiveLevels, 1},
      {51, 100, fiveLevels, 2},
      {98, 100, fiveLevels, 3},
      {99, 100, fiveLevels, 4},
      {100, 100, fiveLevels, 4},
      // 40 × 15% = 6, 40 × 50% = 20, 40 × 85% = 34, 40 × 98% = 39.2 → 40
      {6, 40, fiveLevels, 0},
      {7, 40, fiveLevels, 1},
      {34, 40, fiveLevels, 2},
      {35, 40, fiveLevels, 3},
      {40, 40, fiveLevels, 3},  // E's share rounds to no student here
      // 7 × 15% = 1.05 → 2: the share does not divide the grade and rounds up
      {2, 7, fiveLevels, 0},
      {3, 7, fiveLevels, 1},
      // a tie at 14, 15, 16 shares rank 14: all three stay in the first level
      {14, 100, fiveLevels, 0},
      // a tie that starts just after the boundary: rank 16 and its equals fall below it
      {16, 100, fiveLevels, 1},
      {1, 1, fiveLevels, 0},
      {1, 3, {50, 50}, 0},
      {2, 3, {50, 50}, 0},  // 1.5 → 2
      {3, 3, {50, 50}, 1},
      {0, 100, fiveLevels, -1},  // no score, no rank, no level
      {1, 0, fiveLevels, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(levelOfRank(c.rank, c.ranked, c.shares), c.level) << c.rank << " of " << c.ranked;
}

TEST(Levels, ByScoreAgainstTheFullMark) {
  const std::vector<int> lines = {90, 75, 60, 40};
  struct Case {
    long tenths;
    int full;
    int level;
  } cases[] = {
      {1350, 150, 0},                                 // 135 of 150 is exactly 90%
      {1349, 150, 1},                                 // 134.9 is not
      {1125, 150, 1},                                 // 75% exactly
      {900, 150, 2},  {600, 150, 3},  {599, 150, 4},  // below the last line: the next level
      {0, 150, 4},    {6750, 750, 0},                 // a total against the total's full mark
      {-1, 150, -1},                                  // absent
      {900, 0, -1},                                   // no full mark
  };
  for (const Case& c : cases)
    EXPECT_EQ(levelOfScore(c.tenths, c.full, lines), c.level) << c.tenths << " of " << c.full;
}

TEST(Levels, ParsedFromWhatTeachersType) {
  std::string problem;
  auto shares = parseLevelShares("优秀：15，良好:35、合格 : 35, 待合格:15", problem);
  ASSERT_TRUE(shares) << problem;
  EXPECT_EQ(shares->names, (std::vector<std::string>{"优秀", "良好", "合格", "待合格"}));
  EXPECT_EQ(shares->bounds, (std::vector<int>{15, 35, 35, 15}));
  auto lines = parseLevelLines("A:90,B:75,C:60,D:40", problem);
  ASSERT_TRUE(lines) << problem;
  EXPECT_EQ(lines->names, (std::vector<std::string>{"A", "B", "C", "D", "E"}));
  auto floor = parseLevelLines("优秀:85,合格:60,待合格:0", problem);
  ASSERT_TRUE(floor) << problem;
  EXPECT_EQ(floor->names.size(), 3u);
  EXPECT_EQ(floor->bounds, (std::vector<int>{85, 60}));

  struct Bad {
    const char* text;
    bool byScore;
    const char* problem;
  } bad[] = {
      {"A:15,B:35", false, "加起来是 50"}, {"A:50,A:50", false, "“A”写了两次"},
      {":50,B:50", false, "没有等级名"},   {"A:50,B", false, "应写成"},
      {"A:50.5,B:49.5", false, "整数"},    {"A:100,B:0", false, "占 0%"},
      {"A:60,B:70", true, "应低于"},       {"优秀:85,合格:60", true, "分数线为 0"},
      {"A:90,B:101", true, "0 到 100"},
  };
  for (const Bad& b : bad) {
    problem.clear();
    auto parsed = b.byScore ? parseLevelLines(b.text, problem) : parseLevelShares(b.text, problem);
    EXPECT_FALSE(parsed) << b.text;
    EXPECT_NE(problem.find(b.problem), std::string::npos) << b.text << ": " << problem;
  }
}

// A grade ranked as the run ranks it: ties straddling a boundary share a level, an absent
// score has none, and the total is levelled like a subject.
TEST(Levels, EveryStudentOfARankedGrade) {
  auto g = std::make_unique<GradeBook>();
  g->subjectCount = 1;
  g->classCount = 2;
  const std::vector<std::vector<float>> classes = {{100, 90, 90, kAbsent}, {90, 80, 70}};
  for (int c = 1; c <= 2; ++c) {
    g->classSizes(c) = int16_t(classes[c - 1].size());
    for (int s = 1; s <= g->classSizes(c); ++s)
      g->scores(c, s, 1) = g->scores(c, s, 2) = classes[c - 1][s - 1];
  }
  g->markLines(1, 1) = g->markLines(1, 2) = 100;
  rankSubjects(*g);
  LevelScheme scheme;
  scheme.names = {"A", "B", "C"};
  // Of 6 with a score, A holds ranks to 2 (1.2) and B to 4 (3.6): the three 90s share rank 2
  // and all stay A, which leaves B empty and 80 at rank 5 in C.
  scheme.bounds = {20, 40, 40};
  const StudentLevels levels(*g, scheme);
  const char* expected[2][4] = {{"A", "A", "A", ""}, {"A", "C", "C", ""}};
  for (int c = 1; c <= 2; ++c)
    for (int s = 1; s <= g->classSizes(c); ++s)
      for (int j = 1; j <= 2; ++j)
        EXPECT_EQ(levels.level(c, s, j), expected[c - 1][s - 1]) << c << ' ' << s << ' ' << j;

  scheme = *[] {
    std::string problem;
    return parseLevelLines("A:95,B:85,C:75", problem);
  }();
  const StudentLevels byScore(*g, scheme);
  EXPECT_EQ(byScore.level(1, 1, 1), "A");
  EXPECT_EQ(byScore.level(1, 2, 1), "B");
  EXPECT_EQ(byScore.level(2, 3, 1), "D");
  EXPECT_EQ(byScore.level(1, 4, 1), "");
}

}  // namespace
}  // namespace valdrex
