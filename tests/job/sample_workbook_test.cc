// The generated workbooks: shaped as the run expects, realistic, and the same for the same seed.
#include "valdrex/job/made/sample_workbook.h"

#include <gmock/gmock.h>

#include "valdrex/job/made/template_workbook.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

std::vector<std::string> cellsOf(const host::MemoryWorkbook& wb) {
  std::vector<std::string> all;
  for (std::size_t i = 0; i < wb.sheetCount(); ++i)
    wb.sheetAt(i).forEachCell([&](int r, int c, const host::Cell& cell) {
      all.push_back(wb.sheetAt(i).name() + std::to_string(r) + "," + std::to_string(c) + "=" +
                    textOf(cell.value));
    });
  return all;
}

TEST(SampleWorkbook, TheSeedDecidesEverything) {
  EXPECT_EQ(cellsOf(*sampleWorkbook({2, 5, 3, 11})), cellsOf(*sampleWorkbook({2, 5, 3, 11})));
  EXPECT_NE(cellsOf(*sampleWorkbook({2, 5, 3, 11})), cellsOf(*sampleWorkbook({2, 5, 3, 12})));
}

TEST(SampleWorkbook, ScoresAreRealisticAndSomeStudentsAreAbsent) {
  auto wb = sampleWorkbook({20, 100, 12, 3});
  host::MemorySheet& sh = *wb->find("成绩表");
  int absent = 0, scores = 0;
  double shareSum = 0;
  for (int row = 4; row < 4 + 2000; ++row)
    for (int col = 4; col <= 15; ++col) {
      const Variant v = sh.cell(row, col);
      const double full = sh.cell(2, col).number();
      if (v.isEmpty()) {
        ++absent;
        continue;
      }
      ASSERT_TRUE(v.number() >= 0 && v.number() <= full) << row << "," << col;
      shareSum += v.number() / full;
      ++scores;
    }
  EXPECT_GT(absent, 0);
  EXPECT_LT(absent, scores / 20);
  EXPECT_NEAR(shareSum / scores, 0.7, 0.05);
  EXPECT_TRUE(sh.cell(2004, 2).isEmpty());
}

TEST(SampleWorkbook, RunsWithoutAnyProblemMessage) {
  for (SampleOptions options : {SampleOptions{1, 1, 1, 1}, SampleOptions{20, 100, 12, 5}}) {
    WorkbookJob job(sampleWorkbook(options), "示例");
    SilentDefaults answers;
    FixedDate date({2026, 12, 6});
    const JobOutcome& outcome = job.run(answers, date);
    ASSERT_EQ(outcome.messages.size(), 1u) << options.classes << "x" << options.students;
    EXPECT_EQ(outcome.messages[0].text, "成绩统计操作完成!");
    EXPECT_EQ(outcome.status, JobStatus::ok);
    EXPECT_EQ(outcome.classes, options.classes);
    EXPECT_EQ(outcome.students, options.classes * options.students);
    EXPECT_EQ(outcome.subjects, options.subjects);
    EXPECT_EQ(outcome.reportSheets.size(), 9u);
  }
}

TEST(SampleWorkbook, PropertySheetScalesPhysicsAndCarriesTheLowRateSwitch) {
  auto wb = sampleWorkbook({2, 3, 5, 1});
  host::MemorySheet& p = *wb->find("属性表");
  EXPECT_EQ(textOf(wb->find("成绩表")->cell(2, 7)), "110");  // 物理 as marked
  EXPECT_EQ(textOf(p.cell(3, 5)), "100");                    // ... and as counted
  EXPECT_EQ(textOf(p.cell(3, 7)), "650");                    // the total of what is counted
  EXPECT_EQ(textOf(p.cell(12, 1)), "低分率");
  EXPECT_EQ(textOf(p.cell(19, 1)), "2班");
  EXPECT_THROW(sampleWorkbook({21, 1, 1, 1}), std::invalid_argument);
  EXPECT_THROW(sampleWorkbook({1, 101, 1, 1}), std::invalid_argument);
  EXPECT_THROW(sampleWorkbook({1, 1, 0, 1}), std::invalid_argument);
}

// Its layout, and that it runs, are checked end to end with the template command.
TEST(TemplateWorkbook, RefusesWhatCannotBeFilled) {
  EXPECT_THROW(templateWorkbook({{}, 3}), std::invalid_argument);
  EXPECT_THROW(templateWorkbook({{"语文", ""}, 3}), std::invalid_argument);
  EXPECT_THROW(templateWorkbook({{"语文"}, 0}), std::invalid_argument);
}

}  // namespace
}  // namespace valdrex
