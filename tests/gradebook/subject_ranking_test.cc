#include "gradebook/subject_ranking.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace valdrex {
namespace {

// Grade book with the given scores in subject 1, one list per class.
std::unique_ptr<GradeBook> grade(const std::vector<std::vector<float>>& classes) {
  auto g = std::make_unique<GradeBook>();
  g->km = 0;
  g->班级数 = static_cast<int16_t>(classes.size());
  for (std::size_t c = 1; c <= classes.size(); ++c) {
    g->classSizes(c) = static_cast<int16_t>(classes[c - 1].size());
    for (std::size_t s = 1; s <= classes[c - 1].size(); ++s)
      g->scores(c, s, 1) = classes[c - 1][s - 1];
  }
  return g;
}

TEST(SubjectRanking, EqualScoresShareARankAndAbsentScoresGetNone) {
  auto g = grade({{250, 270, 250, kAbsent}, {260}});
  g->classRanks(1, 4, 1) = 9;  // left from an earlier grade
  g->schoolRanks(1, 4, 1) = 9;
  各科排名(*g);
  const int classRanks[] = {2, 1, 2, 0}, schoolRanks[] = {3, 1, 3, 0};
  for (int s = 1; s <= 4; ++s) {
    EXPECT_EQ(g->classRanks(1, s, 1), classRanks[s - 1]) << s;
    EXPECT_EQ(g->schoolRanks(1, s, 1), schoolRanks[s - 1]) << s;
  }
  EXPECT_EQ(g->classRanks(2, 1, 1), 1);
  EXPECT_EQ(g->schoolRanks(2, 1, 1), 2);
}

TEST(SubjectRanking, MatchesCountingTheHigherScoresOnRandomGrades) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::vector<float>> classes(1 + rng() % 20);
    for (auto& scores : classes) {
      scores.resize(1 + rng() % 100);
      // Few distinct values so that ties are common; about one in eight is absent.
      for (float& v : scores) v = rng() % 8 == 0 ? kAbsent : float(rng() % 30) / 2;
    }
    auto g = grade(classes);
    各科排名(*g);
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

}  // namespace
}  // namespace valdrex
