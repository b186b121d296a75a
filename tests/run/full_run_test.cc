// One whole run over a small grade: three classes, two subjects, every report sheet present.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "gradebook/grade_sheet.h"
#include "support/scripted_ui.h"
#include "support/sheet_dump.h"
#include "valdrex/host/date.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/run/statistics_run.h"

namespace valdrex {
namespace {

using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

const char* const kReportSheets[] = {"输出表",     "各班详细排名", "各班排名表",
                                     "年级排名表", "年级详细排名", "两率一分",
                                     "完成率表",   "分数段统计",   "名次段统计"};

class FullRun : public ::testing::Test {
 protected:
  FullRun() {
    fill(wb);
    compileReports(g, wb, wb.sheet("成绩表"), ui, clock);
  }

  GradeBook g;
  host::MemoryWorkbook wb;
  host::ScriptedUi ui;
  host::FixedClock clock{{2026, 12, 6}};

 public:
  // Every report sheet present except `missing`, each with a cell left by an earlier run.
  static void fill(host::MemoryWorkbook& wb, const std::string& missing = "") {
    // 数学 is marked out of 50 and scaled to 100; 备注 in row 12: no low-score column.
    GradeSheet::write(wb.addSheet("成绩表"), 2,
                      {"|||100|50", "班级|座号|姓名|语文|数学", "1班|1|张一|92|45",
                       "1班|2|张二|75|30", "1班|3|张三|58|", "2班|1|李一|88|40", "2班|2|李二|61|25",
                       "3班|1|王一|100|50", "3班|2|王二|39|10", "3班|3|王三||35"});
    GradeSheet::write(
        wb.addSheet("属性表"), 3,
        {"满分|100|100|200", "优秀|85|85|170", "及格|60|60|120", "低分|40|40|80", "", "",
         "平均分|0.5|0.5|0.5", "优秀率|0.3|0.3|0.3", "及格率|0.2|0.2|0.2", "备注",
         "一档|0.4|0.4|0.4", "二档|0.3|0.3|0.3", "均分|0.3|0.3|0.3", "", "",
         "1班|赵老师|钱老师|孙老师", "2班|周老师|吴老师|郑老师", "3班|冯老师|陈老师|褚老师"});

    for (const char* name : kReportSheets)
      if (name != missing) wb.addSheet(name).setCell(60, 30, "上次留下的");
  }

 protected:
  Strings cells(const char* sheet, int r, int from, int to) {
    Strings out;
    for (int c = from; c <= to; ++c) out.push_back(textOf(wb.sheet(sheet).cell(r, c)));
    return out;
  }
  std::string cell(const char* sheet, int r, int c) { return textOf(wb.sheet(sheet).cell(r, c)); }
  Strings column(const char* sheet, int c, int from, int to) {
    Strings out;
    for (int r = from; r <= to; ++r) out.push_back(cell(sheet, r, c));
    return out;
  }
  const std::vector<host::Range>& merges(const char* sheet) { return wb.find(sheet)->merges(); }
  Variant today() const { return Variant::date(dateSerial({2026, 12, 6})); }
};

TEST_F(FullRun, ARunTwiceGivesIdenticalSheets) {
  const std::string first = testing::dump(wb);
  host::ScriptedUi again;
  EXPECT_THAT(compileReports(g, wb, wb.sheet("成绩表"), again, clock), ::testing::IsEmpty());
  EXPECT_EQ(testing::dump(wb), first);
}

TEST(FullRunWithoutASheet, SkipsOnlyTheStepsThatNeedIt) {
  // Sheets that nothing else is built from.
  const char* independent[] = {"各班详细排名", "两率一分", "完成率表", "分数段统计", "名次段统计"};
  for (const char* missing : kReportSheets) {
    host::MemoryWorkbook wb;
    FullRun::fill(wb, missing);
    auto g = std::make_unique<GradeBook>();
    host::ScriptedUi ui;
    host::FixedClock clock;
    const std::vector<SkippedStep> skipped = compileReports(*g, wb, wb.sheet("成绩表"), ui, clock);
    EXPECT_EQ(ui.messages().back(), "成绩统计操作完成!") << missing;
    // The run completes, but says which of its steps did not.
    Strings steps;
    for (const SkippedStep& s : skipped) steps.push_back(s.step);
    EXPECT_THAT(steps, ::testing::Contains(::testing::HasSubstr("“" + std::string(missing) + "”")))
        << missing;
    for (const char* name : independent) {
      if (host::MemorySheet* sh = wb.find(name)) {
        EXPECT_EQ(textOf(sh->cell(4, 1)) + textOf(sh->cell(60, 30)), "1班")
            << name << " without " << missing;
      }
    }
  }
}

TEST_F(FullRun, BaseAndRankingSheets) {
  // The plain table in score-sheet order; 数学 scaled, an absence left empty.
  EXPECT_EQ(cell("输出表", 1, 1), "各班级学生成绩统计排名表");
  EXPECT_THAT(cells("输出表", 2, 1, 9),
              ElementsAre("班级", "座号", "姓名", "语文", "数学", "总分", "班排", "校排", ""));
  EXPECT_THAT(cells("输出表", 3, 1, 8),
              ElementsAre("1班", "1", "张一", "92", "90", "182", "1", "2"));
  EXPECT_THAT(cells("输出表", 5, 4, 6), ElementsAre("58", "", "58"));

  // Per-class sheets: a title and a header row for every class.
  EXPECT_THAT(column("各班排名表", 1, 1, 14),
              ElementsAre("1班学生成绩表", "班级", "1班", "1班", "1班", "2班学生成绩表", "班级",
                          "2班", "2班", "3班学生成绩表", "班级", "3班", "3班", "3班"));
  EXPECT_THAT(column("各班排名表", 3, 12, 14), ElementsAre("王一", "王二", "王三"));
  EXPECT_EQ(wb.sheet("各班排名表").cell(10, 7), today());
  EXPECT_THAT(column("各班详细排名", 1, 1, 2), ElementsAre("1班学生排名表", "班级"));
  EXPECT_THAT(cells("各班详细排名", 2, 4, 6), ElementsAre("语文分数", "语文班排", "语文校排"));
  EXPECT_THAT(column("各班详细排名", 3, 12, 14), ElementsAre("王一", "王三", "王二"));

  // Grade sheets: the whole grade by school rank of the total.
  const auto gradeOrder =
      ElementsAre("王一", "张一", "李一", "张二", "李二", "王三", "王二", "张三");
  EXPECT_THAT(column("年级排名表", 3, 3, 10), gradeOrder);
  EXPECT_THAT(column("年级详细排名", 3, 3, 10), gradeOrder);
  EXPECT_THAT(column("年级详细排名", 12, 3, 10),
              ElementsAre("1", "2", "3", "4", "5", "6", "7", "8"));
  EXPECT_EQ(cell("年级排名表", 1, 1), "");
  EXPECT_EQ(wb.sheet("年级详细排名").cell(1, 11), today());
  EXPECT_THAT(merges("年级排名表"), ElementsAre(host::Range{1, 1, 1, 6}, host::Range{1, 7, 1, 8}));
}

TEST_F(FullRun, ClassComparison) {
  EXPECT_EQ(cell("两率一分", 2, 4), "语文");
  EXPECT_EQ(cell("两率一分", 3, 8), "综合积分");
  // 1班 语文: 92, 75, 58. Composite 0.3 × 33.33 + 0.2 × 66.67 + 0.5 × 75.
  EXPECT_THAT(cells("两率一分", 4, 1, 13), ElementsAre("1班", "3", "1", "2", "33.33", "66.67", "75",
                                                       "60.83", "2", "3", "2", "1", "赵老师"));
  // The total row's rates are over the 7 who sat, not all 8 students.
  EXPECT_THAT(cells("两率一分", 7, 1, 7),
              ElementsAre("合计", "7", "3", "5", "42.86", "71.43", "73.29"));
  EXPECT_EQ(cell("两率一分", 14, 4), "总分");
  EXPECT_EQ(cell("两率一分", 15, 13), "班主任");
  EXPECT_EQ(cell("两率一分", 20, 1), "注：总分综合积分=优秀率×0.3+及格率×0.2+平均分×0.5");
}

TEST_F(FullRun, CompletionRates) {
  // Default targets 5 and 20: tiers 1-15 and 1-60 hold everybody. 75 over the grade average
  // 73.29 of the total row.
  EXPECT_THAT(cells("完成率表", 4, 1, 11),
              ElementsAre("1班", "3", "3", "60", "3", "15", "75", "102.33", "59.2", "1", "赵老师"));
  EXPECT_THAT(cells("完成率表", 7, 1, 7), ElementsAre("合计", "7", "7", "", "7", "", "73.29"));
  EXPECT_EQ(cell("完成率表", 15, 11), "班主任");
  EXPECT_EQ(cell("完成率表", 16, 2), "3");  // the total counts every student
  EXPECT_THAT(cell("完成率表", 21, 1),
              ::testing::StartsWith("各班一档指标数：5，各班二档指标数：20。"));
  EXPECT_EQ(wb.sheet("完成率表").cell(1, 10), today());
}

TEST_F(FullRun, ScoreAndRankBands) {
  EXPECT_THAT(cells("分数段统计", 4, 1, 15), ElementsAre("1班", "3", "0", "1", "0", "1", "0", "1",
                                                         "0", "0", "0", "0", "1", "92", "58"));
  // The total's table bands by the total's full mark of 200.
  EXPECT_THAT(cells("分数段统计", 15, 3, 5), ElementsAre("200", "200-180", "180-160"));
  EXPECT_THAT(cells("分数段统计", 15, 12, 13), ElementsAre(" 40以下", " 120以下"));
  EXPECT_THAT(cells("分数段统计", 18, 1, 3), ElementsAre("3班", "3", "1"));
  EXPECT_EQ(cell("分数段统计", 19, 2), "8");
  EXPECT_EQ(wb.sheet("分数段统计").cell(1, 14), today());

  // 8 students: bands of 5, closed by the whole grade.
  EXPECT_THAT(cells("名次段统计", 3, 1, 5), ElementsAre("班级", "参考人数", "前5名", "前8名", ""));
  EXPECT_THAT(cells("名次段统计", 4, 1, 4), ElementsAre("1班", "3", "2", "3"));
  EXPECT_THAT(cells("名次段统计", 14, 1, 4), ElementsAre("1班", "3", "2", "3"));
  EXPECT_THAT(merges("名次段统计"), ElementsAre(host::Range{1, 1, 1, 2}, host::Range{1, 3, 1, 4}));
}

}  // namespace
}  // namespace valdrex
