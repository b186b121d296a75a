#include "valdrex/bands/completion_rates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "band_book.h"
#include "support/scripted_ui.h"
#include "valdrex/automation/object_model_codes.h"
#include "valdrex/bands/completion_targets.h"
#include "valdrex/host/date.h"

namespace valdrex {
namespace {

using testing::bookOf;
using testing::cellTexts;
using ::testing::ElementsAre;
using testing::gridExactly;
using testing::text;

class CompletionSheet : public ::testing::Test {
 protected:
  void run(GradeBook& g) { writeCompletionRates(g, sh, ui, clock); }
  // Each dialog as "prompt|title|default or style".
  std::vector<std::string> dialogs() const {
    std::vector<std::string> out;
    for (const auto& d : ui.dialogs())
      out.push_back(d.prompt + "|" + d.title + "|" +
                    (d.kind == d.Input ? d.defaultText : std::to_string(objectModelCode(d.style))));
    return out;
  }

  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet("完成率表");
  host::ScriptedUi ui;
  host::FixedClock clock{{2026, 12, 6}};
};

TEST_F(CompletionSheet, AsksForBothTargetsUntilTheyMakeSense) {
  const char* const first = "请输入每班一档完成指标数！|Valdrex提示：完成率统计|5";
  const char* const second = "请输入每班二档完成指标数！|Valdrex提示：完成率统计|20";
  // Two classes: the tier label 2 × T fits 16 bits up to T = 16383.
  const struct {
    const char *first, *second;
  } rejected[] = {{"20", "5"}, {"0", "20"}, {"5", "abc"}, {"5", "16384"}, {"99999", "99999"}};
  for (const auto& r : rejected) {
    ui = host::ScriptedUi();
    for (const char* answer : {r.first, r.second, " 3", "7人"}) ui.queueInput(answer);
    GradeBook g = bookOf({100}, {{{50}}, {{60}}});
    run(g);
    EXPECT_THAT(dialogs(), ElementsAre(first, second, "输入有误！|Valdrex提示|0", first, second))
        << r.first << "/" << r.second;
    // The accepted pair is the one in use.
    EXPECT_THAT(text(sh, 13, 1), ::testing::StartsWith("各班一档指标数：3，各班二档指标数：7。"));
  }
  ui = host::ScriptedUi();
  for (const char* answer : {"5", "16383"}) ui.queueInput(answer);
  GradeBook g = bookOf({100}, {{{50}}, {{60}}});
  run(g);
  EXPECT_THAT(dialogs(), ElementsAre(first, second));
  EXPECT_THAT(text(sh, 13, 1), ::testing::HasSubstr("各班二档指标数：16383。"));
}

TEST(CompletionTargets, TheLargestSecondTargetKeepsTheTierLabelIn16Bits) {
  const struct {
    int classes, largest;
  } cases[] = {{0, 32767}, {1, 32767}, {2, 16383}, {4, 8191}, {7, 4681}, {20, 1638}};
  for (const auto& c : cases) EXPECT_EQ(largestSecondTarget(c.classes), c.largest) << c.classes;
}

TEST_F(CompletionSheet, CancellingEitherTargetLeavesTheSheetAlone) {
  for (int cancelled : {0, 1}) {
    ui = host::ScriptedUi();
    if (cancelled == 1) ui.queueInput("5");
    ui.queueInput(std::nullopt);
    sh.setCell(3, 1, "上次的表");
    GradeBook g = bookOf({100}, {{{50}}});
    run(g);
    EXPECT_EQ(ui.dialogs().size(), size_t(cancelled + 1));
    EXPECT_EQ(text(sh, 3, 1), "上次的表");
    EXPECT_EQ(text(sh, 2, 4), "");
    EXPECT_EQ(g.examineeCounts(1, 2), 0);
  }
}

// The class average is measured against the two-decimal grade average the total row shows, as
// the note says; a grade average of 0 leaves the rate empty and the composite reads it as 0.
TEST_F(CompletionSheet, AverageRateDividesByTheGradeAverageOfTheTotalRow) {
  const struct {
    double ownSum, otherSum;
    const char *average, *gradeAverage, *rate, *composite;
  } cases[] = {
      {161, 120.8, "80.5", "70.45", "114.27", "34.28"},
      {161, 121.4, "80.5", "70.6", "114.02", "34.21"},
      {215.92, 238.28, "107.96", "113.55", "95.08", "28.52"},
      {0, 0, "0", "0", "", "0"},
  };
  for (const auto& c : cases) {
    ui = host::ScriptedUi();
    GradeBook g = bookOf({100}, {{{0}, {0}}, {{0}, {0}}});
    for (int j : {1, 2}) {
      g.scoreSums(1, j) = c.ownSum;
      g.scoreSums(2, j) = c.otherSum;
      g.weights(7, j) = 0.3f;
    }
    run(g);
    EXPECT_EQ(text(sh, 4, 7), c.average) << c.gradeAverage;
    EXPECT_EQ(text(sh, 4, 8), c.rate) << c.gradeAverage;
    EXPECT_EQ(text(sh, 4, 9), c.composite) << c.gradeAverage;
    EXPECT_EQ(text(sh, 6, 7), c.gradeAverage);
    // The sheet goes on to the total's table and the notes.
    EXPECT_EQ(text(sh, 9, 8), c.rate) << c.gradeAverage;
    EXPECT_THAT(text(sh, 12, 1), ::testing::StartsWith("注：")) << c.gradeAverage;
  }
}

TEST_F(CompletionSheet, TablesOfTwoSubjectsAndThreeClasses) {
  // Subject 1: classes of 14, 14 and 2 students, the last one absent throughout.
  std::vector<testing::ClassScores> classes(3);
  classes[0].assign(14, {0, 60});
  classes[1].assign(14, {0, 60});
  classes[2].assign(2, {kAbsent, 60});
  GradeBook g = bookOf({100, 100}, classes);
  // Tiers for 3 classes: ranks 1-15 and 1-60. Class 1 has 4 and 12 students in them.
  const int16_t ranks[] = {1, 5, 9, 15, 16, 20, 30, 40, 50, 55, 58, 60, 61, 90};
  for (int s = 1; s <= 14; ++s) {
    g.schoolRanks(1, s, 1) = ranks[s - 1];
    g.schoolRanks(2, s, 1) = 70;
  }
  g.scoreSums(1, 1) = 14 * 80.5;
  g.scoreSums(2, 1) = 14 * 59.5;  // grade average 70
  for (int j = 1; j <= 3; ++j) {
    g.weights(5, j) = 0.4f, g.weights(6, j) = 0.3f, g.weights(7, j) = 0.3f;
    for (int b = 1; b <= 3; ++b) g.teacherNames(b, j) = "师" + std::to_string(b * 10 + j);
  }
  sh.setCell(30, 2, "上次留下的");
  run(g);

  EXPECT_EQ(text(sh, 30, 2), "");
  EXPECT_EQ(text(sh, 2, 4), "语文");
  EXPECT_THAT(cellTexts(sh, 3, 1, 11),
              ElementsAre("班级", "参考人数", "一档人数", "一档完成率", "二档人数", "二档完成率",
                          "平均分", "平均分完成率", "综合完成率", "综合名次", "任课教师"));
  EXPECT_THAT(cellTexts(sh, 4, 1, 11),
              ElementsAre("1班", "14", "4", "80", "12", "60", "80.5", "115", "84.5", "1", "师11"));
  EXPECT_THAT(cellTexts(sh, 5, 1, 11),
              ElementsAre("2班", "14", "0", "0", "0", "0", "59.5", "85", "25.5", "2", "师21"));
  // Nobody of class 3 sat the paper: an empty row that still gets ranked, left out of the total.
  EXPECT_THAT(cellTexts(sh, 6, 1, 11), ElementsAre("", "", "", "", "", "", "", "", "", "3", ""));
  EXPECT_THAT(cellTexts(sh, 7, 1, 11),
              ElementsAre("合计", "28", "4", "", "12", "", "70", "", "", "", ""));

  EXPECT_THAT((std::vector{text(sh, 8, 4), text(sh, 9, 11), text(sh, 14, 4), text(sh, 15, 11)}),
              ElementsAre("数学", "任课教师", "总分", "班主任"));
  EXPECT_EQ(text(sh, 18, 2), "2");  // absent in 语文, both have a total from 数学
  EXPECT_EQ(text(sh, 18, 11), "师33");
  EXPECT_EQ(text(sh, 19, 2), "30");

  for (int header : {3, 9, 15}) EXPECT_TRUE(gridExactly(sh, {header, 1, header + 4, 11}));
  EXPECT_EQ(text(sh, 20, 1),
            "注：一档完成率=一档人数÷一档指标数，二档完成率=二档人数÷二档指标数，"
            "平均分完成率=班级平均分÷年级平均分。");
  EXPECT_EQ(text(sh, 21, 1),
            "各班一档指标数：5，各班二档指标数：20。总分综合积分=一档完成率×0.4+二档完成率×0.3+"
            "平均分完成率×0.3");
  EXPECT_THAT(sh.merges(), ElementsAre(host::Range{20, 1, 20, 11}, host::Range{21, 1, 21, 11},
                                       host::Range{1, 1, 1, 9}, host::Range{1, 10, 1, 11}));
  EXPECT_EQ(sh.cell(1, 10), Variant::date(dateSerial({2026, 12, 6})));
}

}  // namespace
}  // namespace valdrex
