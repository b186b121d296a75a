// "成绩条": its pages, and what a run with slips, levels and hidden ranks writes, held to the
// grade's own lists.
#include <gmock/gmock.h>

#include <map>
#include <numeric>
#include <set>

#include "valdrex/gradebook/report_layout.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/presentation/slip_pages.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

using L = SlipSheetLayout;

// Every class on pages of its own, every slip whole on one page, no page longer than it holds.
TEST(SlipPages, ClassesStartPagesAndNoSlipIsCut) {
  struct Case {
    std::vector<int> classes;
    int rowsPerPage;
    std::vector<int> breaks;  // empty: only checked by the rules below
  } cases[] = {
      {{3}, 30, {}},                       // one short class: one page
      {{10}, 30, {}},                      // exactly a page: 10 slips of 3 rows
      {{11}, 30, {31}},                    // one more slip goes over
      {{11}, 31, {31}},                    // a row to spare is not a slip
      {{4, 4}, 30, {13}},                  // each class on its own page
      {{25, 1, 7}, 32, {31, 61, 76, 79}},  // 10 a page; the class of one alone
      {{2, 0, 2}, 30, {7}},                // a class without students takes no page
      {{3}, 2, {4, 7}},                    // a page shorter than a slip: one a page
      {{40, 39, 41, 12}, 29, {}},
      {{1, 1, 1, 1, 1}, 60, {4, 7, 10, 13}},
  };
  for (const Case& c : cases) {
    const std::vector<int> breaks = slipPageBreaks(c.classes, c.rowsPerPage);
    const std::string label =
        ::testing::PrintToString(c.classes) + " / " + std::to_string(c.rowsPerPage);
    if (!c.breaks.empty() || c.classes.size() == 1) {
      EXPECT_EQ(breaks, c.breaks) << label;
    }
    ASSERT_TRUE(std::is_sorted(breaks.begin(), breaks.end())) << label;
    std::set<int> classStarts;
    int slips = 0;
    for (int n : c.classes) {
      if (n > 0 && slips > 0) classStarts.insert(L::headerRow(slips));
      slips += n;
    }
    for (int start : classStarts)
      EXPECT_TRUE(std::count(breaks.begin(), breaks.end(), start))
          << label << " class at " << start;
    int pageStart = 1;
    for (std::size_t i = 0; i <= breaks.size(); ++i) {
      const int next = i < breaks.size() ? breaks[i] : L::headerRow(slips);
      EXPECT_EQ((next - 1) % L::rowsPerSlip, 0) << label << ": a break inside a slip at " << next;
      if (c.rowsPerPage >= L::rowsPerSlip) {
        EXPECT_LE(next - pageStart, c.rowsPerPage) << label << ": page from " << pageStart;
      }
      pageStart = next;
    }
  }
}

class Slips : public ::testing::Test {
 protected:
  static constexpr int kClasses = 3, kStudents = 25, kSubjects = 4;
  Slips() : job(sampleWorkbook({kClasses, kStudents, kSubjects, 3}), "样例") {}
  const JobOutcome& run(const AskedReports& asked) {
    RunSettings settings;
    settings.asked = asked;
    return job.run(answers, date, settings);
  }
  const host::MemorySheet& sheet(std::string_view name) { return *job.workbook().find(name); }
  static std::string text(const host::MemorySheet& sh, int row, int col) {
    return textOf(sh.cell(row, col));
  }
  // A sheet's rows by "班级|座号", from `first` while column 1 holds something.
  static std::map<std::string, int> rowsByStudent(const host::MemorySheet& sh, int first) {
    std::map<std::string, int> rows;
    for (int r = first; r <= sh.usedRange().row2; ++r)
      if (sh.cell(r, 2).isNumeric()) rows[text(sh, r, 1) + "|" + text(sh, r, 2)] = r;
    return rows;
  }
  WorkbookJob job;
  ListAnswers answers{{"3", "8"}};
  FixedDate date{{2026, 12, 6}};
};

// Each slip is its student's row of "年级详细排名": scores, levels, total and both ranks.
TEST_F(Slips, EachStudentsOwnRowWithLevelsAndRanks) {
  AskedReports asked;
  asked.slips = true;
  std::string problem;
  asked.levels = parseLevelShares("优秀:15,良好:35,合格:35,待合格:15", problem);
  // The score sheet's first two students swapped: the slips still go by seat.
  host::MemorySheet& scores = *job.workbook().find(ScoreSheetLayout::defaultName);
  const int first = ScoreSheetLayout::firstStudentRow;
  for (int c = 1; c <= scores.usedRange().col2; ++c) {
    const Variant above = scores.cell(first, c);
    scores.setCell(first, c, scores.cell(first + 1, c));
    scores.setCell(first + 1, c, above);
  }
  const JobOutcome& outcome = run(asked);
  ASSERT_TRUE(outcome.problem.empty()) << outcome.problem;
  EXPECT_THAT(outcome.reportSheets, ::testing::Contains("成绩条"));

  const host::MemorySheet& slips = sheet("成绩条");
  const host::MemorySheet& detailed = sheet("年级详细排名");
  const std::map<std::string, int> rows = rowsByStudent(detailed, 3);
  const int width = 3 + 2 * (kSubjects + 1) + 2;
  EXPECT_EQ(slips.usedRange().col2, width);
  int i = 0;
  std::set<std::string> seen;
  for (; L::valueRow(i) <= slips.usedRange().row2; ++i) {
    const int h = L::headerRow(i), v = L::valueRow(i);
    EXPECT_EQ(text(slips, h, 1), "班级");
    EXPECT_EQ(text(slips, h, 5), text(slips, h, 4) + "等级");
    EXPECT_EQ(text(slips, h, width - 1), "班级名次");
    EXPECT_EQ(text(slips, h, width), "年级名次");
    EXPECT_TRUE(slips.cell(v + 1, 1).isEmpty()) << "the row to cut along";
    const std::string key = text(slips, v, 1) + "|" + text(slips, v, 2);
    if (i % kStudents > 0) {
      EXPECT_LT(slips.cell(L::valueRow(i - 1), 2).number(), slips.cell(v, 2).number()) << key;
    }
    seen.insert(key);
    ASSERT_TRUE(rows.count(key)) << key;
    const int r = rows.at(key);
    for (int j = 1; j <= kSubjects + 1; ++j) {
      const int at = RankingSheetLayout::detailedScoreColumn(j, true);
      EXPECT_EQ(text(slips, v, 2 + 2 * j), text(detailed, r, at)) << key << " subject " << j;
      EXPECT_EQ(text(slips, v, 3 + 2 * j), text(detailed, r, at + 3)) << key << " level " << j;
    }
    const int total = kSubjects + 1;
    EXPECT_EQ(text(slips, v, width - 1),
              text(detailed, r, RankingSheetLayout::detailedClassRankColumn(total, true)));
    EXPECT_EQ(text(slips, v, width),
              text(detailed, r, RankingSheetLayout::detailedSchoolRankColumn(total, true)));
  }
  EXPECT_EQ(i, kClasses * kStudents);
  EXPECT_EQ(seen.size(), rows.size());

  // The page breaks: every class after the first starts one.
  const auto& layout = slips.printLayout();
  ASSERT_TRUE(layout);
  EXPECT_GT(layout->scale, 0) << "a page fitted by the program drops the row breaks";
  for (int k = 1; k < kClasses; ++k)
    EXPECT_TRUE(
        std::count(layout->rowBreaks.begin(), layout->rowBreaks.end(), L::headerRow(k * kStudents)))
        << k;
}

// Hidden ranks: every rank cell empty, every list by class and seat, the slips without ranks,
// "临界生" without the tiers' lists, "一分一段表" without ranks, and the summary says the result
// may be handed out.
TEST_F(Slips, HiddenRanksLeaveNoRankAndNoOrderByRank) {
  AskedReports asked;
  asked.slips = asked.noRanks = asked.nearLines = asked.segments = true;
  const JobOutcome& outcome = run(asked);
  ASSERT_TRUE(outcome.problem.empty()) << outcome.problem;
  EXPECT_THAT(outcome.notes, ::testing::Contains(::testing::HasSubstr("不公布名次")));

  using RL = RankingSheetLayout;
  for (std::string_view name : {"年级排名表", "年级详细排名", "各班详细排名", "输出表"}) {
    const host::MemorySheet& sh = sheet(name);
    const bool detailed = std::string_view(name).find("详细") != std::string_view::npos;
    std::string before;
    for (int r = RL::firstStudentRow; r <= sh.usedRange().row2; ++r) {
      if (!sh.cell(r, 2).isNumeric()) continue;  // a class's title and header rows
      char key[64];
      std::snprintf(key, sizeof key, "%s|%04d", text(sh, r, 1).c_str(),
                    static_cast<int>(numericValue(sh.cell(r, 2))));
      EXPECT_LE(before, key) << name << " row " << r;
      before = key;
      for (int j = 1; j <= (detailed ? kSubjects + 1 : 1); ++j) {
        const int classRank =
            detailed ? RL::detailedClassRankColumn(j) : RL::plainClassRankColumn(4, kSubjects);
        EXPECT_TRUE(sh.cell(r, classRank).isEmpty()) << name << " row " << r;
        EXPECT_TRUE(sh.cell(r, classRank + 1).isEmpty()) << name << " row " << r;
      }
    }
  }
  const host::MemorySheet& slips = sheet("成绩条");
  EXPECT_EQ(slips.usedRange().col2, 3 + kSubjects + 1);
  EXPECT_EQ(text(slips, 1, 3 + kSubjects + 1), "总分");
  const host::MemorySheet& segments = sheet("一分一段表");
  EXPECT_EQ(text(segments, 3, SegmentSheetLayout::ranks), "位次");
  for (int r = 4; r <= segments.usedRange().row2; ++r)
    EXPECT_TRUE(segments.cell(r, SegmentSheetLayout::ranks).isEmpty()) << r;
  const host::MemorySheet& near = sheet("临界生");
  for (int r = 1; r < near.usedRange().row2; ++r)  // the last row, the note, explains every list
    EXPECT_THAT(text(near, r, 1), ::testing::Not(::testing::HasSubstr("档"))) << r;
}

}  // namespace
}  // namespace valdrex
