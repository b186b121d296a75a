// What a workbook job tells its caller: the sheets it added, the students it left out, every
// message with the cell it pointed at, and what it refused.
#include "valdrex/job/workbook_job.h"

#include <gmock/gmock.h>

#include "valdrex/job/sample_workbook.h"

namespace valdrex {
namespace {

JobOutcome runInMemory(std::unique_ptr<host::MemoryWorkbook> wb, RunSettings settings = {}) {
  WorkbookJob job(std::move(wb), "测试");
  SilentDefaults answers;
  FixedDate date({2026, 12, 6});
  return job.run(answers, date, settings);
}

TEST(WorkbookJob, AddsMissingSheetsAndCountsTheStudentsLeftOut) {
  auto sample = sampleWorkbook({2, 5, 2, 1});
  auto bare = std::make_unique<host::MemoryWorkbook>();
  for (const char* name : {"成绩表", "属性表"}) {
    host::MemorySheet& to = bare->addSheet(name);
    sample->find(name)->forEachCell(
        [&](int r, int c, const host::Cell& cell) { to.at(r, c) = cell; });
  }
  bare->find("成绩表")->setCell(5, 1, "");  // a student without a class

  const JobOutcome o = runInMemory(std::move(bare));
  EXPECT_EQ(o.sheetsAdded.size(), 9u);
  EXPECT_EQ(o.reportSheets.size(), 9u);
  EXPECT_EQ(o.leftOut.blankClass, 1);
  EXPECT_TRUE(o.completed);
  EXPECT_TRUE(o.problem.empty()) << o.problem;
}

TEST(WorkbookJob, MessagesCarryTheirPlaceAndMakeWarnings) {
  auto wb = sampleWorkbook({2, 5, 2, 1});
  host::MemorySheet& bands = *wb->find("分数段统计");  // a band header the counters cannot read
  bands.setCell(3, 3, "100");
  bands.setCell(3, 4, "很好");
  const JobOutcome o = runInMemory(std::move(wb));
  ASSERT_EQ(o.messages.size(), 2u);
  EXPECT_EQ(o.messages[0].place, "分数段统计!D3");
  EXPECT_EQ(o.messages[0].style, host::MessageStyle::plainSecondDefault);
  EXPECT_EQ(o.status, JobStatus::attention);
  EXPECT_THAT(o.warnings, ::testing::ElementsAre(::testing::HasSubstr("区间划分格式错误")));

  auto strict = sampleWorkbook({2, 5, 2, 1});
  strict->find("成绩表")->setCell(5, 1, "");
  const JobOutcome refused = runInMemory(std::move(strict), {std::nullopt, true});
  EXPECT_FALSE(refused.ran);
  EXPECT_THAT(refused.problem, ::testing::HasSubstr("--strict"));
}

}  // namespace
}  // namespace valdrex
