#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "grade_sheet.h"
#include "valdrex/gradebook/ranking_functions.h"
#include "valdrex/gradebook/subject_ranking.h"

namespace valdrex {
namespace {

// Ranks checked against counting the higher scores, on a fixed grade and then random ones with
// many ties and absences; stale ranks from an earlier grade must not survive.
TEST(SubjectRanking, MatchesCountingTheHigherScores) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::vector<float>> classes(1 + rng() % 20);
    for (auto& scores : classes) {
      scores.resize(1 + rng() % 100);
      for (float& v : scores) v = rng() % 8 == 0 ? kAbsent : float(rng() % 30) / 2;
    }
    if (round == 0) classes = {{250, 270, 250, kAbsent}, {260}};
    auto g = std::make_unique<GradeBook>();
    g->subjectCount = 0;
    g->classCount = int16_t(classes.size());
    for (std::size_t c = 1; c <= classes.size(); ++c) {
      g->classSizes(c) = int16_t(classes[c - 1].size());
      for (std::size_t s = 1; s <= classes[c - 1].size(); ++s) {
        g->scores(c, s, 1) = classes[c - 1][s - 1];
        g->classRanks(c, s, 1) = g->schoolRanks(c, s, 1) = 99;
      }
    }
    rankSubjects(*g);
    for (std::size_t c = 1; c <= classes.size(); ++c)
      for (std::size_t s = 1; s <= classes[c - 1].size(); ++s) {
        float v = classes[c - 1][s - 1];
        int inClass = 1, inGrade = 1;
        for (std::size_t c2 = 1; c2 <= classes.size(); ++c2)
          for (float w : classes[c2 - 1]) {
            inGrade += v < w;
            inClass += c2 == c && v < w;
          }
        ASSERT_EQ(g->classRanks(c, s, 1), v >= 0 ? inClass : 0) << round << ' ' << c << ' ' << s;
        ASSERT_EQ(g->schoolRanks(c, s, 1), v >= 0 ? inGrade : 0) << round << ' ' << c << ' ' << s;
      }
  }
}

struct RankingFunctions : testing::Test, GradeSheet {};

Variant n(double v) { return Variant::number(v); }

TEST_F(RankingFunctions, RankAndNewRankCountTheHigherValues) {
  write(sh, 2, {"||90", "||85", "||90", "||70", "||高", "||"});
  struct Case {
    int a, b, c, rank;
  } cases[] = {
      {3, 2, 5, 3}, {2, 2, 5, 1}, {3, 5, 2, 1},  // an empty field
      {5, 2, 6, 5},                              // a text ranks above every number
      {7, 2, 5, 5},                              // an empty cell counts as 0
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(writeRank(n(c.a), n(c.b), n(c.c), n(3), n(4), sh).isEmpty());
    EXPECT_EQ(sh.cell(c.a, 4), Variant::number(c.rank)) << c.a << ' ' << c.b << ' ' << c.c;
  }
  sh.setCell(8, 3, Variant::error("#N/A"));
  EXPECT_THROW(writeRank(n(2), n(2), n(8), n(3), n(4), sh), Failure);

  // groupRank: within the class of column 1, up to the first empty value.
  auto& other = book.addSheet("表2");
  write(other, 3, {"班级||||总分", "1||||80", "1||||95", "2||||99", "1||||80", "", "1||||100"});
  EXPECT_EQ(groupRank(n(1), n(5), n(7), "表2", book), Variant::long_(2));
  EXPECT_EQ(groupRank(n(1), n(2), n(7), "表2", book), Variant::long_(1));
  EXPECT_THROW(groupRank(n(1), n(5), n(7), "没有的表", book), Failure);
}

}  // namespace
}  // namespace valdrex
