#include "gradebook/ranking_functions.h"

#include <gtest/gtest.h>

#include "grade_sheet.h"

namespace valdrex {
namespace {

struct RankingFunctions : testing::Test, GradeSheet {};

Variant n(double v) { return Variant::number(v); }

TEST_F(RankingFunctions, RankWritesOnePlusTheHigherValuesOfTheField) {
  write(sh, 2, {"||90", "||85", "||90", "||70", "||高", "||"});
  struct Case {
    int a, b, c, rank;
  } cases[] = {
      {3, 2, 5, 3}, {2, 2, 5, 1}, {4, 2, 5, 1}, {5, 2, 5, 4}, {3, 5, 2, 1},  // an empty field
      {5, 2, 6, 5},  // a text ranks above every number
      {7, 2, 5, 5},  // an empty cell counts as 0
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(排名(n(c.a), n(c.b), n(c.c), n(3), n(4), sh).isEmpty());
    EXPECT_EQ(sh.cell(c.a, 4), Variant::number(c.rank)) << c.a << ' ' << c.b << ' ' << c.c;
  }
  sh.setCell(8, 3, Variant::error("#N/A"));
  EXPECT_THROW(排名(n(2), n(2), n(8), n(3), n(4), sh), Failure);
}

TEST_F(RankingFunctions, NewRankCountsHigherValuesOfTheSameGroupUntilAnEmptyValue) {
  write(sh, 3,
        {"班级||||总分", "1||||80", "1||||95", "2||||99", "1||||80", "2||||60", "", "1||||100"});
  EXPECT_EQ(新排名(n(1), n(5), n(7), "成绩表", book), Variant::long_(2));
  EXPECT_EQ(新排名(n(1), n(5), n(6), "成绩表", book), Variant::long_(1));
  EXPECT_EQ(新排名(n(1), n(2), n(7), "成绩表", book), Variant::long_(1));
  EXPECT_THROW(新排名(n(1), n(5), n(7), "没有的表", book), Failure);
}

}  // namespace
}  // namespace valdrex
