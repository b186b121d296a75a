// "一分一段表" and "临界生" over a generated grade, checked against counts made here from the score
// sheet itself; where they go, and what a run that does not ask for them leaves.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

struct Student {
  std::string className, name;
  std::optional<int> total;  // tenths; none when absent everywhere
};

std::string text(const host::MemorySheet& sh, int row, int col) {
  return textOf(sh.cell(row, col));
}

// The students as the score sheet lists them, totals summed here from the subject cells.
std::vector<Student> studentsOf(host::MemoryWorkbook& wb, int subjects) {
  const host::MemorySheet& sh = *wb.find("成绩表");
  std::vector<Student> out;
  for (int r = 4; !text(sh, r, 1).empty(); ++r) {
    Student s{text(sh, r, 1), text(sh, r, 3), std::nullopt};
    for (int col = 4; col < 4 + subjects; ++col)
      if (sh.cell(r, col).isNumeric())
        s.total =
            s.total.value_or(0) + static_cast<int>(std::lround(numericValue(sh.cell(r, col)) * 10));
    out.push_back(s);
  }
  return out;
}

int rankOf(const std::vector<Student>& all, int total) {
  return 1 + static_cast<int>(std::count_if(all.begin(), all.end(), [&](const Student& s) {
           return s.total && *s.total > total;
         }));
}

std::string tenthsText(int t) {
  return std::to_string(t / 10) + (t % 10 ? "." + std::to_string(t % 10) : "");
}

class AskedSheets : public ::testing::Test {
 protected:
  static constexpr int kClasses = 3, kSubjects = 4;
  AskedSheets() : job(sampleWorkbook({kClasses, 30, kSubjects, 5}), "样例") {
    prepare(job.workbook());
  }
  // The property sheet's full marks as the papers': no scaling, so the sums here are the totals.
  // The student in row 6 sat no paper.
  static void prepare(host::MemoryWorkbook& wb) {
    host::MemorySheet& props = *wb.find("属性表");
    host::MemorySheet& scores = *wb.find("成绩表");
    for (int j = 1; j <= kSubjects; ++j) {
      props.setCell(3, 1 + j, scores.cell(2, 3 + j));
      scores.setCell(6, 3 + j, j == 1 ? Variant::text("缺考") : Variant());
    }
  }
  const JobOutcome& run(const AskedReports& asked) {
    RunSettings settings;
    settings.asked = asked;
    return job.run(answers, date, settings);
  }
  std::vector<std::string> sheetNames() {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < job.workbook().sheetCount(); ++i)
      names.push_back(job.workbook().sheetAt(i).name());
    return names;
  }
  WorkbookJob job;
  ListAnswers answers{{"3", "8"}};
  FixedDate date{{2026, 12, 6}};
};

TEST_F(AskedSheets, SegmentsCountTheTotalsOfTheScoreSheet) {
  AskedReports asked;
  asked.segments = true;
  asked.segmentStep = 50;  // 5 points
  ASSERT_TRUE(run(asked).problem.empty()) << run(asked).problem;
  const std::vector<Student> all = studentsOf(job.workbook(), kSubjects);
  std::map<int, std::vector<int>, std::greater<>> steps;  // step → totals
  int sitting = 0;
  for (const Student& s : all)
    if (s.total) steps[*s.total / 50 * 50].push_back(*s.total), ++sitting;
  ASSERT_GT(all.size(), static_cast<std::size_t>(sitting)) << "the sample has an absent student";

  const host::MemorySheet& sh = *job.workbook().find("一分一段表");
  EXPECT_EQ(text(sh, 1, 1), "一分一段表");
  EXPECT_EQ(text(sh, 2, 1), "总分");
  EXPECT_EQ(text(sh, 3, 4), "累计百分比");
  int row = 4, cumulative = 0;
  for (int low = steps.begin()->first; low >= steps.rbegin()->first; low -= 50, ++row) {
    const std::vector<int>& totals = steps[low];
    cumulative += static_cast<int>(totals.size());
    EXPECT_EQ(text(sh, row, 1), tenthsText(low) + "-" + tenthsText(low + 49)) << row;
    EXPECT_EQ(numericValue(sh.cell(row, 2)), totals.size()) << row;
    EXPECT_EQ(numericValue(sh.cell(row, 3)), cumulative) << row;
    EXPECT_EQ(numericValue(sh.cell(row, 4)), std::nearbyint(cumulative * 10000.0 / sitting) / 100)
        << row;
    std::string ranks;
    if (!totals.empty()) {
      const int best = rankOf(all, *std::max_element(totals.begin(), totals.end()));
      const int worst = rankOf(all, *std::min_element(totals.begin(), totals.end()));
      ranks =
          best == worst ? std::to_string(best) : std::to_string(best) + "-" + std::to_string(worst);
    }
    EXPECT_EQ(text(sh, row, 5), ranks) << row;
  }
  EXPECT_EQ(numericValue(sh.cell(row - 1, 3)), sitting);
  EXPECT_THAT(text(sh, row, 1), ::testing::StartsWith("注："));  // only the total's table
  EXPECT_EQ(sheetNames().back(), "一分一段表");
}

TEST_F(AskedSheets, NearLinesCountTheTotalsOfTheScoreSheet) {
  AskedReports asked;
  asked.nearLines = true;
  ASSERT_TRUE(run(asked).problem.empty());
  const std::vector<Student> all = studentsOf(job.workbook(), kSubjects);
  const host::MemorySheet& props = *job.workbook().find("属性表");
  const int totalColumn = 2 + kSubjects;
  const int full = static_cast<int>(numericValue(props.cell(3, totalColumn)));
  const int margin = static_cast<int>(std::nearbyint(full * 5 / 10.0));
  const host::MemorySheet& sh = *job.workbook().find("临界生");
  const std::vector<std::string> classes = {text(sh, 3, 2), text(sh, 3, 3), text(sh, 3, 4)};
  EXPECT_EQ(text(sh, 3, 5), "合计");

  // Rows 4-7: the total's excellent and pass lines, below and above.
  int row = 4;
  for (int lineRow : {4, 5}) {
    const int line = static_cast<int>(numericValue(props.cell(lineRow, totalColumn))) * 10;
    for (bool below : {true, false}) {
      int sum = 0;
      for (int c = 0; c < kClasses; ++c) {
        const int n = static_cast<int>(std::count_if(all.begin(), all.end(), [&](const Student& s) {
          if (s.className != classes[c] || !s.total) return false;
          return below ? *s.total >= line - margin && *s.total < line
                       : *s.total >= line && *s.total < line + margin;
        }));
        EXPECT_EQ(numericValue(sh.cell(row, 2 + c)), n) << row << " " << classes[c];
        sum += n;
      }
      EXPECT_EQ(numericValue(sh.cell(row, 5)), sum) << row;
      ++row;
    }
  }
  // Rows 8-9: just outside the best 3 × 3 = 9 (ranks 10), the last one inside (rank 9).
  for (auto [r, first, last] : {std::tuple{8, 10, 10}, std::tuple{9, 9, 9}}) {
    const auto n = std::count_if(all.begin(), all.end(), [&](const Student& s) {
      return s.total && rankOf(all, *s.total) >= first && rankOf(all, *s.total) <= last;
    });
    EXPECT_EQ(numericValue(sh.cell(r, 5)), n) << r;
  }

  // The first list: the total just below the excellent line, by class, the closest first.
  const int line = static_cast<int>(numericValue(props.cell(4, totalColumn))) * 10;
  std::vector<std::tuple<std::string, std::string, double>> expected;
  for (const std::string& c : classes) {
    std::vector<std::tuple<std::string, std::string, double>> inClass;
    for (const Student& s : all)
      if (s.className == c && s.total && *s.total >= line - margin && *s.total < line)
        inClass.emplace_back(c, s.name, (line - *s.total) / 10.0);
    std::stable_sort(inClass.begin(), inClass.end(),
                     [](const auto& a, const auto& b) { return std::get<2>(a) < std::get<2>(b); });
    expected.insert(expected.end(), inClass.begin(), inClass.end());
  }
  const int lists = 4 + 4 + 4 * kSubjects;
  const int title = 3 + lists + 2;
  EXPECT_THAT(text(sh, title, 1), ::testing::StartsWith("总分：差一点到优秀线"));
  std::vector<std::tuple<std::string, std::string, double>> got;
  for (int r = title + 2; !text(sh, r, 1).empty(); ++r)
    got.emplace_back(text(sh, r, 1), text(sh, r, 2), numericValue(sh.cell(r, 4)));
  ASSERT_FALSE(expected.empty()) << "the sample has students just below the line";
  EXPECT_EQ(got, expected);
}

TEST_F(AskedSheets, WrittenAfterTheChartsAndLeftAloneWhenNotAsked) {
  RunSettings plain;
  WorkbookJob without(sampleWorkbook({kClasses, 30, kSubjects, 5}), "样例");
  prepare(without.workbook());
  ListAnswers same{{"3", "8"}};
  without.run(same, date, plain);
  AskedReports asked;
  asked.segments = asked.segmentsAllSubjects = asked.nearLines = true;
  const JobOutcome& o = run(asked);
  ASSERT_TRUE(o.problem.empty());
  const std::vector<std::string> names = sheetNames();
  ASSERT_GE(names.size(), 3u);
  EXPECT_THAT(std::vector<std::string>(names.end() - 3, names.end()),
              ::testing::ElementsAre("统计图表", "临界生", "一分一段表"));
  EXPECT_THAT(o.reportSheets, ::testing::Contains("一分一段表"));
  // Asking changes no other sheet; without asking the sheets are not there.
  EXPECT_EQ(without.workbook().find("临界生"), nullptr);
  for (std::size_t i = 0; i < without.workbook().sheetCount(); ++i) {
    const host::MemorySheet& a = without.workbook().sheetAt(i);
    const host::MemorySheet& b = *job.workbook().find(a.name());
    ASSERT_EQ(a.usedRange(), b.usedRange()) << a.name();
    a.forEachCell([&](int r, int c, const host::Cell& cell) {
      EXPECT_EQ(textOf(cell.value), text(b, r, c)) << a.name() << r << "," << c;
    });
  }
  // Every subject's table follows the total's.
  const host::MemorySheet& seg = *job.workbook().find("一分一段表");
  int tables = 0;
  for (int r = 1; r <= seg.usedRange().row2; ++r) tables += text(seg, r, 1) == "分数段";
  EXPECT_EQ(tables, 1 + kSubjects);

  // A later run that does not ask keeps them and says so.
  const std::string kept = text(seg, 4, 1);
  ListAnswers again{{"3", "8"}};
  const JobOutcome& later = job.run(again, date, plain);
  EXPECT_EQ(text(*job.workbook().find("一分一段表"), 4, 1), kept);
  EXPECT_THAT(later.notes,
              ::testing::Contains(::testing::HasSubstr("“一分一段表”是早先一次统计写的")));
  EXPECT_THAT(later.notes, ::testing::Contains(::testing::HasSubstr("“临界生”是早先一次统计写的")));
}

}  // namespace
}  // namespace valdrex

namespace valdrex {
namespace {

// What the asked sheets need is told by a check before the run as by the run after it: a line at
// 0 in 属性表, an earlier workbook that cannot be used (whose refusal of the run
// progress_sheets_test.cc holds).
TEST_F(AskedSheets, ACheckTellsBeforeTheRunWhatTheAskedSheetsLack) {
  job.workbook().find("属性表")->setCell(4, 2, Variant::number(0));  // 语文's excellent line
  RunSettings settings;
  settings.asked.nearLines = true;
  EXPECT_TRUE(job.check().findings.empty()) << "the plain check asks nothing of 临界生";
  const std::vector<Finding> found = job.check(settings).findings;
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].place, "属性表");
  EXPECT_THAT(found[0].text, ::testing::StartsWith("临界生："));
  EXPECT_EQ(found[0].kind(), FindingKind::note);
  const JobOutcome& ran = job.run(answers, date, settings);
  EXPECT_THAT(ran.notes, ::testing::Contains(found[0].text));

  settings.compare = "没有这个文件.xlsx";
  const std::vector<Finding> refused = job.check(settings).findings;
  ASSERT_FALSE(refused.empty());
  EXPECT_EQ(refused[0].place, "没有这个文件.xlsx");
  EXPECT_EQ(refused[0].kind(), FindingKind::stopsLoading);
}

}  // namespace
}  // namespace valdrex
