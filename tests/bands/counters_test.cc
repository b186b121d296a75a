#include "valdrex/bands/counters.h"

#include <gtest/gtest.h>

#include "band_book.h"
#include "valdrex/host/failure.h"

namespace valdrex {
namespace {

using testing::bookOf;
using Counter = Variant (*)(const GradeBook&, int16_t&, int16_t&, std::string&);

Variant count(Counter counter, const GradeBook& g, int16_t subject, int16_t cls,
              std::string label) {
  return counter(g, subject, cls, label);
}

// -1: a label that is no band.
void expectCounts(Counter counter, const GradeBook& g,
                  std::initializer_list<std::pair<const char*, int>> cases) {
  for (const auto& [label, expected] : cases)
    EXPECT_EQ(count(counter, g, 1, 1, label), Variant::integer(int16_t(expected))) << label;
}

TEST(ScoreCounter, CountsEveryLabelForm) {
  // Class 1: 100, 95, 90, 89.5, 59, 30 and one absent student.
  const GradeBook g = bookOf({100}, {{{100}, {95}, {90}, {89.5f}, {59}, {30}, {kAbsent}}});
  expectCounts(countScoreBand, g,
               {
                   {"100-90", 2},  // the full mark is left to the bare label
                   {"90-100", 2}, {"100—90", 2}, {"100", 1},  {"89.5", 1},  {"90以下", 3},
                   {"90以上", 3}, {"20以下", 0}, {"60-", 2},  {"90-", 3},   {"-60", 4},
                   {"-90", 3},    {"60-30", 2},  {"1e2", 1},  {"1 00", 1},  // blanks skipped
                   {"0.5-0", 0},  // a band from 0 never holds the absent student
                   {"abc", -1},   {"", -1},      {"   ", -1}, {"0-59", -1}, {"—60", -1},
                   {"前10", -1},  {"0", -1},
               });
}

TEST(RankCounter, CountsEveryLabelForm) {
  GradeBook g = bookOf({100}, {{{0}, {0}, {0}, {0}, {0}, {0}}});
  const int16_t ranks[] = {1, 5, 10, 11, 30, 0};  // the last one sat no paper
  for (int s = 1; s <= 6; ++s) g.schoolRanks(1, s, 1) = ranks[s - 1];
  // clang-format off
  expectCounts(countRankBand, g, {
      {"前10", 3}, {"前10名", 3}, {"-10", 3}, {"1-10", 3}, {"11-", 2}, {"11-30", 2}, {"5—10", 2},
      {"10", 1}, {"10名", 1}, {"前", 0}, {"前0名", 0}, {"31-", 0},
      {"30-0", 5},  // rank 0 is no rank, whatever band a teacher writes
      {"abc", -1}, {"", -1}, {"最高分", -1}, {"0-10", -1},
      {"—10", -1},  // the wide dash is no minus sign
  });
  // clang-format on
}

// A total of 600 is 600 and falls into the band its value names; a single-precision sum of these
// scores was 599.9999. A student without any score stands in no band of the total.
TEST(ScoreCounter, ExactTotalsFallIntoTheBandTheirValueNames) {
  const GradeBook g =
      bookOf({150, 150, 150, 150, 150}, {{{140.2f, 121.6f, 111.9f, 101.2f, 125.1f},
                                          {128.9f, 122.9f, 130.3f, 149.6f, 68.3f},
                                          {kAbsent, kAbsent, kAbsent, kAbsent, kAbsent}}});
  const struct {
    const char* label;
    int count;
  } cases[] = {{"650-600", 2}, {"600以上", 2}, {"600", 2},  {"600-", 0},
               {"590-600", 0}, {"600以下", 0}, {"0.5-0", 0}};
  for (const auto& c : cases)
    EXPECT_EQ(count(countScoreBand, g, 6, 1, c.label), Variant::integer(int16_t(c.count)))
        << c.label;
  EXPECT_EQ(count(countScoreBand, g, 6, 1, "最低分"), Variant::single(600));
}

TEST(ScoreCounter, HighestAndLowestLeaveAbsentScoresOut) {
  const GradeBook g = bookOf({100, 100}, {{{98.5f, kAbsent}, {kAbsent, kAbsent}, {61, kAbsent}},
                                          {},
                                          {{612.5f, 0}, {433, 0}, {kAbsent, 0}}});
  EXPECT_EQ(count(countScoreBand, g, 1, 1, "最高分"), Variant::single(98.5f));
  EXPECT_EQ(count(countScoreBand, g, 1, 1, "最低分"), Variant::single(61));
  EXPECT_EQ(count(countScoreBand, g, 1, 3, "最低分"), Variant::single(433));  // not capped at 200
  EXPECT_EQ(count(countScoreBand, g, 1, 3, "最高分"), Variant::single(612.5f));
  // Nobody sat subject 2 in class 1; class 2 has no students at all.
  EXPECT_EQ(count(countScoreBand, g, 2, 1, "最低分"), Variant::single(200));
  EXPECT_EQ(count(countScoreBand, g, 2, 1, "最高分"), Variant::single(0));
  EXPECT_EQ(count(countScoreBand, g, 1, 2, "最高分"), Variant::single(0));
}

TEST(Counters, TrimTheCallersLabelAndFailOutsideTheTables) {
  const GradeBook g = bookOf({100}, {{{85}, {90}}});
  int16_t k = 1, b = 1;
  std::string label = "  90-80 ";
  EXPECT_EQ(countScoreBand(g, k, b, label), Variant::integer(1));
  EXPECT_EQ(label, "90-80");
  label = "  abc  ";
  EXPECT_EQ(countRankBand(g, k, b, label), Variant::integer(-1));
  EXPECT_EQ(label, "abc");

  EXPECT_THROW(count(countScoreBand, g, 1, 21, "100"), Failure);
  EXPECT_THROW(count(countScoreBand, g, 17, 1, "100"), Failure);
  EXPECT_THROW(count(countRankBand, g, 1, -1, "1-10"), Failure);
}

}  // namespace
}  // namespace valdrex
