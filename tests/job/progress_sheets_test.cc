// "进退步" and "进退步汇总" over two exams of the same generated grade, checked against ranks made
// here from the two score sheets; an earlier workbook that cannot be used refuses the run.
#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

namespace fs = std::filesystem;
constexpr int kSubjects = 3, kStep = 20;

std::string text(const host::MemorySheet& sh, int row, int col) {
  return textOf(sh.cell(row, col));
}

struct Sitting {
  std::string className, number, name;
  int total = 0;  // tenths
  int gradeRank = 0, classRank = 0;
};

// The students of the score sheet with totals summed and ranked here.
std::map<std::string, Sitting> sittingsOf(host::MemoryWorkbook& wb) {
  const host::MemorySheet& sh = *wb.find("成绩表");
  std::vector<Sitting> all;
  for (int r = 4; !text(sh, r, 1).empty(); ++r) {
    Sitting s{text(sh, r, 1), text(sh, r, 2), text(sh, r, 3)};
    for (int col = 4; col < 4 + kSubjects; ++col)
      if (sh.cell(r, col).isNumeric())
        s.total += static_cast<int>(std::lround(numericValue(sh.cell(r, col)) * 10));
    all.push_back(s);
  }
  std::map<std::string, Sitting> byNumber;
  for (Sitting& s : all) {
    for (const Sitting& o : all) {
      s.gradeRank += o.total > s.total;
      s.classRank += o.total > s.total && o.className == s.className;
    }
    ++s.gradeRank, ++s.classRank;
    byNumber[s.number] = s;
  }
  return byNumber;
}

// No scaling, and exam numbers in column B.
std::unique_ptr<host::MemoryWorkbook> exam() {
  auto wb = sampleWorkbook({3, 20, kSubjects, 11});
  host::MemorySheet& scores = *wb->find("成绩表");
  host::MemorySheet& props = *wb->find("属性表");
  for (int j = 1; j <= kSubjects; ++j) props.setCell(3, 1 + j, scores.cell(2, 3 + j));
  scores.setCell(3, 2, "考号");
  for (int r = 4; !text(scores, r, 1).empty(); ++r) scores.setCell(r, 2, "K" + std::to_string(r));
  scores.setCell(5, 3, "转班生");
  scores.setCell(6, 3, "改名前甲");
  return wb;
}

class ProgressSheets : public ::testing::Test {
 protected:
  // A name of this process and test alone: ctest runs each test in a process of its own, at once.
  ProgressSheets()
      : earlierPath(fs::temp_directory_path() /
                    ("valdrex-进退步-上次-" + std::to_string(getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xlsx")) {
    io::writeWorkbook(*exam(), earlierPath.string());
    auto now = exam();
    host::MemorySheet& scores = *now->find("成绩表");
    for (int r = 4; !text(scores, r, 1).empty(); ++r)
      scores.setCell(r, 4, Variant::number((r * 37) % 100));
    scores.setCell(5, 1, text(scores, 63, 1));  // moved to the last class
    scores.setCell(6, 3, "改名后甲");           // a corrected name, the same exam number
    scores.setCell(7, 2, "NEW");                // somebody else in that row
    scores.setCell(7, 3, "新同学");
    job = std::make_unique<WorkbookJob>(std::move(now), "期末");
  }
  ~ProgressSheets() override { fs::remove(earlierPath); }
  const JobOutcome& run(const std::string& compare) {
    RunSettings settings;
    settings.compare = compare;
    return job->run(answers, date, settings);
  }
  fs::path earlierPath;
  std::unique_ptr<WorkbookJob> job;
  ListAnswers answers{{"3", "8"}};
  FixedDate date{{2026, 12, 6}};
};

TEST_F(ProgressSheets, RankChangesOfEveryStudentInBothExams) {
  const JobOutcome& o = run(earlierPath.string());
  ASSERT_TRUE(o.problem.empty()) << o.problem;
  auto earlier = io::readWorkbook(earlierPath.string());
  const auto before = sittingsOf(*earlier);
  const auto now = sittingsOf(job->workbook());
  const host::MemorySheet& sh = *job->workbook().find("进退步");
  EXPECT_EQ(text(sh, 3, 12), "年级名次变化");

  std::map<std::string, int> seen;
  int up = 0, down = 0, level = 0, rows = 0;
  std::string lastClass;
  int lastRank = 0;
  for (int r = 4; !text(sh, r, 1).empty(); ++r, ++rows) {
    const std::string number = text(sh, r, 2);
    SCOPED_TRACE(number);
    ASSERT_TRUE(now.count(number) && before.count(number));
    const Sitting &x = now.at(number), &y = before.at(number);
    ++seen[number];
    // Grouped by class, in this exam's grade rank order.
    if (x.className == lastClass) {
      EXPECT_GE(x.gradeRank, lastRank);
    }
    lastClass = x.className, lastRank = x.gradeRank;
    EXPECT_EQ(text(sh, r, 1), x.className);
    EXPECT_EQ(numericValue(sh.cell(r, 4)) * 10, y.total);
    EXPECT_EQ(numericValue(sh.cell(r, 6)) * 10, x.total - y.total);
    EXPECT_EQ(numericValue(sh.cell(r, 10)), y.gradeRank);
    EXPECT_EQ(numericValue(sh.cell(r, 11)), x.gradeRank);
    const int change = y.gradeRank - x.gradeRank;
    EXPECT_EQ(numericValue(sh.cell(r, 12)), change);
    if (x.className == y.className) {
      EXPECT_EQ(numericValue(sh.cell(r, 9)), y.classRank - x.classRank);
    } else {
      EXPECT_TRUE(sh.cell(r, 9).isEmpty());
    }
    (change >= kStep ? up : change <= -kStep ? down : level) += 1;
  }
  EXPECT_EQ(rows, static_cast<int>(now.size()) - 1);  // all but the new student
  EXPECT_EQ(seen.count("NEW"), 0u);
  EXPECT_EQ(seen["K5"], 1);  // moved class
  EXPECT_NE(now.at("K5").className, before.at("K5").className);
  EXPECT_EQ(seen["K6"], 1);  // corrected name
  // The lists of one exam only.
  const int listRow = 4 + rows + 1;
  EXPECT_THAT(text(sh, listRow, 1), ::testing::StartsWith("本次新增"));
  EXPECT_EQ(text(sh, listRow + 2, 3), "新同学");
  EXPECT_THAT(text(sh, listRow + 4, 1), ::testing::StartsWith("本次缺少"));
  EXPECT_EQ(text(sh, listRow + 6, 3), before.at("K7").name);

  const host::MemorySheet& summary = *job->workbook().find("进退步汇总");
  const int total = 3 + 3 + 1;
  EXPECT_EQ(text(summary, total, 1), "合计");
  EXPECT_EQ(numericValue(summary.cell(total, 2)), rows);
  EXPECT_EQ(numericValue(summary.cell(total, 3)), up);
  EXPECT_EQ(numericValue(summary.cell(total, 4)), down);
  EXPECT_EQ(numericValue(summary.cell(total, 5)), level);

  // Charted last: the students moved up and down per class.
  const std::vector<host::Chart> charts = job->workbook().find("统计图表")->charts();
  ASSERT_FALSE(charts.empty());
  EXPECT_EQ(charts.back().title, "各班进步、退步人数");
  ASSERT_EQ(charts.back().series.size(), 2u);
  EXPECT_EQ(charts.back().series[0].values, (host::SheetRange{"进退步汇总", {4, 3, 6, 3}}));
  EXPECT_EQ(charts.back().series[1].values, (host::SheetRange{"进退步汇总", {4, 4, 6, 4}}));
}

TEST_F(ProgressSheets, TotalsOfDifferentFullMarksAreNotSubtracted) {
  auto earlier = exam();
  earlier->find("属性表")->setCell(3, 2 + kSubjects, Variant::number(999));
  io::writeWorkbook(*earlier, earlierPath.string());
  ASSERT_TRUE(run(earlierPath.string()).problem.empty());
  const host::MemorySheet& sh = *job->workbook().find("进退步");
  EXPECT_THAT(text(sh, 2, 1), ::testing::HasSubstr("满分不同（上次 999"));
  EXPECT_TRUE(sh.cell(4, 6).isEmpty());    // 总分变化
  EXPECT_FALSE(sh.cell(4, 12).isEmpty());  // ranks still compare
}

TEST_F(ProgressSheets, AnEarlierWorkbookThatCannotBeUsedRefusesTheRun) {
  const JobOutcome& missing =
      run((fs::temp_directory_path() / "valdrex-没有这个文件.xlsx").string());
  EXPECT_EQ(missing.status, JobStatus::badRequest);
  EXPECT_THAT(missing.problem, ::testing::HasSubstr("对比的工作簿"));
  EXPECT_FALSE(missing.ran);
  EXPECT_EQ(job->workbook().find("进退步"), nullptr);

  auto noScores = std::make_unique<host::MemoryWorkbook>();
  noScores->addSheet("属性表");
  io::writeWorkbook(*noScores, earlierPath.string());
  const JobOutcome& refused = run(earlierPath.string());
  EXPECT_EQ(refused.status, JobStatus::badRequest);
  EXPECT_THAT(refused.problem, ::testing::HasSubstr("找不到成绩表"));
}

}  // namespace
}  // namespace valdrex
