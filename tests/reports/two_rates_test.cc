#include "valdrex/reports/two_rates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "support/pupils.h"
#include "support/scripted_ui.h"
#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {
namespace {

using testing::rowTexts;
using testing::Texts;

struct ClassFigures {
  std::string name;
  int16_t sat, excellent, pass, low;
  double sum;
};

// One subject, 语文, and the total, both with the same figures; the class size is the number
// who sat. Weights: average 0.3, excellent rate 0.25, pass rate 1, low-score rate 0.5.
std::unique_ptr<GradeBook> comparisonBook(const std::vector<ClassFigures>& classes,
                                          const std::string& label = "低分率") {
  auto g = std::make_unique<GradeBook>();
  const char* head[] = {"班级", "座号", "姓名", "语文", "总分"};
  for (int i = 0; i < 5; ++i) g->headerTexts(i + 1) = head[i];
  g->subjectCount = 1, g->firstSubjectColumn = 4, g->lastSubjectColumn = 4, g->lowRateLabel = label;
  for (const ClassFigures& c : classes) {
    int k = ++g->classCount;
    g->classNames(k) = c.name;
    g->classSizes(k) = c.sat;
    g->studentCount += c.sat;
    for (int j = 1; j <= 2; ++j) {
      g->examineeCounts(k, j) = j == 1 ? c.sat : 0;
      g->excellentCounts(k, j) = c.excellent, g->passCounts(k, j) = c.pass;
      g->lowCounts(k, j) = c.low, g->scoreSums(k, j) = c.sum;
      g->teacherNames(k, j) = c.name + (j == 1 ? "语文师" : "班主任");
    }
  }
  for (int j = 1; j <= 2; ++j) {
    float w[] = {0.3f, 0.25f, 1, 0.5f};
    for (int r = 1; r <= 4; ++r) g->weights(r, j) = w[r - 1];
  }
  return g;
}

const std::vector<ClassFigures> kThree = {
    {"一班", 50, 20, 45, 2, 3900}, {"二班", 10, 4, 9, 1, 780}, {"三班", 4, 0, 1, 1, 200}};

class TwoRates : public ::testing::Test {
 protected:
  void run(GradeBook& g) { writeTwoRates(g, wb, sh, clock, RoundingTrace(lastRounding)); }
  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet("两率一分");
  host::FixedClock clock{{2026, 12, 6}};
  int32_t lastRounding = 0;
};

TEST_F(TwoRates, WithLowScoreRateTheBlocksCarryFourteenColumnsAndTheNoteSubtractsIt) {
  auto g = comparisonBook(kThree);
  g->studentCount =
      100;  // students of no class, or absent: the total row's rates are over those who sat
  run(*g);
  EXPECT_EQ(textOf(sh.cell(2, 4)), "语文");
  EXPECT_EQ(rowTexts(sh, 3, 1, 14), (Texts{"班级", "参考人数", "优秀人数", "及格人数", "优秀率",
                                           "及格率", "平均分", "低分率", "综合积分", "综合名次",
                                           "优秀率排名", "及格率排名", "平均分排名", "任课教师"}));
  // 10 + 90 + 23.4 - 2; 10 + 90 + 23.4 - 5; 0 + 25 + 15 - 12.5
  EXPECT_EQ(rowTexts(sh, 4, 1, 14), (Texts{"一班", "50", "20", "45", "40", "90", "78", "4", "121.4",
                                           "1", "1", "1", "1", "一班语文师"}));
  EXPECT_EQ(rowTexts(sh, 5, 9, 13), (Texts{"118.4", "2", "1", "1", "1"}));
  EXPECT_EQ(rowTexts(sh, 6, 8, 13), (Texts{"25", "27.5", "3", "3", "3", "3"}));
  EXPECT_EQ(rowTexts(sh, 7, 1, 9),
            (Texts{"合计", "64", "24", "55", "37.5", "85.94", "76.25", "", ""}));

  // The total's block: everyone of a class sat; its teacher column names the head teacher.
  EXPECT_EQ(textOf(sh.cell(8, 4)), "总分");
  EXPECT_EQ(textOf(sh.cell(9, 14)), "班主任");
  EXPECT_EQ(rowTexts(sh, 12, 1, 2), (Texts{"三班", "4"}));
  EXPECT_EQ(textOf(sh.cell(14, 1)), "注：总分综合积分=优秀率×0.25+及格率×1+平均分×0.3-低分率×0.5");
  EXPECT_EQ(lastRounding, 7625);  // the last rounding: the total row's average

  const auto& merges = sh.merges();
  for (host::Range m :
       {host::Range{1, 1, 1, 12}, host::Range{1, 13, 1, 14}, host::Range{14, 1, 14, 14}})
    EXPECT_NE(std::find(merges.begin(), merges.end(), m), merges.end());
  EXPECT_EQ(sh.cell(1, 13), Variant::date(dateSerial({2026, 12, 6})));

  auto bordered = [&](int row, int col) {
    const host::Cell* c = sh.find(row, col);
    return c && c->format.borders == 0xF;
  };
  EXPECT_TRUE(bordered(3, 1) && bordered(7, 14) && bordered(9, 1) && bordered(13, 14));
  EXPECT_FALSE(bordered(1, 1) || bordered(2, 4) || bordered(8, 4) || bordered(14, 1) ||
               bordered(3, 15));
}

TEST_F(TwoRates, WithoutTheLowScoreLabelTheCompositeIgnoresItAndTiesShareARank) {
  for (const char* label : {"其他", " 低分率 "}) {
    auto g = comparisonBook(kThree, label);
    run(*g);
    EXPECT_EQ(rowTexts(sh, 3, 7, 14), (Texts{"平均分", "综合积分", "综合名次", "优秀率排名",
                                             "及格率排名", "平均分排名", "任课教师", ""}));
    // 123.4 twice, then 40: ranks 1, 1, 3
    EXPECT_EQ(rowTexts(sh, 4, 8, 9), (Texts{"123.4", "1"}));
    EXPECT_EQ(rowTexts(sh, 5, 8, 9), (Texts{"123.4", "1"}));
    EXPECT_EQ(rowTexts(sh, 6, 8, 9), (Texts{"40", "3"}));
    EXPECT_EQ(textOf(sh.cell(14, 1)), "注：总分综合积分=优秀率×0.25+及格率×1+平均分×0.3");
    EXPECT_EQ(sh.cell(1, 12), Variant::date(dateSerial({2026, 12, 6})));
  }
}

TEST_F(TwoRates, RatesRoundHalfToEvenAndAClassWhereNobodySatKeepsOnlyItsRanks) {
  auto g = comparisonBook({{"甲", 50, 0, 45, 0, 0},
                           {"乙", 3, 0, 1, 0, 0},
                           {"丙", 8, 0, 1, 0, 0},
                           {"丁", 32, 0, 1, 0, 0},
                           {"戊", 32, 0, 3, 0, 0},
                           {"己", 0, 0, 0, 0, 0}});
  run(*g);
  const char* passRates[] = {"90", "33.33", "12.5", "3.12", "9.38"};
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(textOf(sh.cell(3 + k, 6)), passRates[k - 1]) << k;
  EXPECT_EQ(sh.cell(4, 6), Variant::number(90));  // a number, not a text
  EXPECT_EQ(rowTexts(sh, 9, 1, 14),
            (Texts{"", "", "", "", "", "", "", "", "", "6", "1", "6", "1", ""}));
}

// A student without any score did not sit: the total's block counts, averages and rates over
// the others only, while a student with a single score sits the total.
TEST_F(TwoRates, TheTotalLeavesOutAStudentWithoutAnyScore) {
  const struct {
    std::optional<float> chinese, maths;
    const char* takers;
    const char* average;
  } cases[] = {
      {std::nullopt, std::nullopt, "2", "145"},
      {std::nullopt, 0, "3", "96.67"},
      {50, std::nullopt, "3", "113.33"},
  };
  for (const auto& c : cases) {
    auto g = testing::gradeBookOf({"语文", "数学"}, {{{"1", "1", "甲"}, {90, 80}},
                                                     {{"1", "2", "乙"}, {60, 60}},
                                                     {{"1", "3", "丙"}, {c.chinese, c.maths}}});
    g->lowRateLabel = "低分率";
    g->markLines(3, 3) = 100, g->markLines(4, 3) = 100;  // the total's pass and low-score lines
    countClassResults(*g, sh);
    run(*g);
    // Block of the total: header row 11, class row 12, total row 13.
    EXPECT_EQ(textOf(sh.cell(12, 2)), c.takers) << c.takers << c.average;
    EXPECT_EQ(textOf(sh.cell(12, 7)), c.average) << c.takers << c.average;
    EXPECT_EQ(textOf(sh.cell(13, 2)), c.takers) << c.takers << c.average;
  }
}

}  // namespace
}  // namespace valdrex
