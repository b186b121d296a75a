// The charts of a run: each series refers to the report sheet's cells for the classes, in order,
// under the header it stands for; a second run replaces them; without charts nothing is added.
#include "valdrex/job/presentation/result_charts.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <map>

#include "support/printed_pages.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

struct Grade {
  int classes, subjects;
  bool lowRate;  // "两率一分" with the low rate's column, which shifts the columns after it
};

class ResultCharts : public ::testing::TestWithParam<Grade> {};

std::string cellText(host::MemoryWorkbook& wb, const std::string& sheet, int row, int col) {
  return textOf(wb.find(sheet)->cell(row, col));
}

TEST_P(ResultCharts, SeriesReferToTheTotalsAndAveragesOfEveryClass) {
  const auto [classes, subjects, lowRate] = GetParam();
  auto book = sampleWorkbook({classes, 12, subjects, 7});
  if (!lowRate) book->find("属性表")->setCell(12, 1, "");
  WorkbookJob job(std::move(book), "样例");
  SilentDefaults answers;
  FixedDate date({2026, 12, 6});
  const JobOutcome& o = job.run(answers, date);
  ASSERT_TRUE(o.ran) << o.problem;
  host::MemoryWorkbook& wb = job.workbook();
  ASSERT_EQ(cellText(wb, "两率一分", 3, 8), lowRate ? "低分率" : "综合积分");
  ASSERT_EQ(o.chartSheet, "统计图表");
  const std::vector<host::Chart> charts = wb.find("统计图表")->charts();
  ASSERT_EQ(o.charts, static_cast<int>(charts.size()));

  // Title → the sheet, the table's subject and the header above each series' values.
  std::map<std::string, std::tuple<std::string, std::string, std::vector<std::string>>> expected;
  expected["总分各班平均分"] = {"两率一分", "总分", {"平均分"}};
  expected["总分各班优秀率与及格率"] = {"两率一分", "总分", {"优秀率", "及格率"}};
  expected["总分各班一档、二档完成率"] = {"完成率表", "总分", {"一档完成率", "二档完成率"}};
  for (int j = 1; j <= subjects; ++j) {
    const std::string name = cellText(wb, "成绩表", 3, 3 + j);
    expected[name + "各班平均分"] = {"两率一分", name, {"平均分"}};
  }
  // Band series are the header's bands: the default score header ends with the overlapping
  // " 0.6·M以下", the highest and the lowest score; the rank header may repeat the whole grade.
  for (const auto& [sheet, gap, title] : {std::tuple{"分数段统计", 3, "总分各班分数段人数"},
                                          {"名次段统计", 2, "总分各班名次段人数"}}) {
    const int header = 3 + subjects * (classes + gap);
    std::vector<std::string> bands;
    for (int col = 3; !cellText(wb, sheet, header, col).empty(); ++col)
      if (const std::string band = cellText(wb, sheet, header, col);
          std::find(bands.begin(), bands.end(), band) == bands.end())
        bands.push_back(band);
    if (gap == 3) bands.resize(bands.size() - 3);
    expected[title] = {sheet, "总分", bands};
  }

  std::vector<std::string> titles;
  for (const host::Chart& c : charts) {
    titles.push_back(c.title);
    ASSERT_TRUE(expected.count(c.title)) << c.title;
    const auto& [sheet, subject, listed] = expected[c.title];
    // A stack is read from the bottom up: its bands go in from the lowest, the top band on top.
    std::vector<std::string> headers = listed;
    if (c.kind == host::ChartKind::stackedColumns) std::reverse(headers.begin(), headers.end());
    ASSERT_EQ(c.series.size(), headers.size()) << c.title;
    // Bands are shades of one hue, darker toward the top band, so that they read in grey too;
    // other series are told apart by colour.
    auto lightness = [&](std::size_t i) {
      const std::uint32_t rgb = host::seriesColour(c, i);
      return 299 * (rgb >> 16) + 587 * (rgb >> 8 & 0xFF) + 114 * (rgb & 0xFF);
    };
    const bool bands = sheet == "分数段统计" || sheet == "名次段统计";
    for (std::size_t i = 1; i < headers.size(); ++i) {
      if (!bands) {
        for (std::size_t j = 0; j < i; ++j)
          EXPECT_NE(host::seriesColour(c, i), host::seriesColour(c, j)) << c.title;
      } else if (c.kind == host::ChartKind::stackedColumns) {
        EXPECT_LT(lightness(i), lightness(i - 1)) << c.title << " band " << headers[i];
      } else {
        EXPECT_GT(lightness(i), lightness(i - 1)) << c.title << " band " << headers[i];
      }
    }
    for (std::size_t i = 0; i < headers.size(); ++i) {
      const host::ChartSeries& s = c.series[i];
      const host::Range v = s.values.range, k = s.categories.range, n = s.name.range;
      EXPECT_EQ(s.values.sheet, sheet);
      EXPECT_EQ(s.categories.sheet, sheet);
      EXPECT_EQ(n.row1, n.row2);
      EXPECT_EQ(n.col1, n.col2);
      ASSERT_EQ(v.col1, v.col2);
      ASSERT_EQ(k.col1, k.col2);
      ASSERT_EQ(v.row2 - v.row1 + 1, classes) << c.title;
      ASSERT_EQ(k.row2 - k.row1 + 1, classes);
      EXPECT_EQ(cellText(wb, sheet, v.row1 - 1, v.col1), headers[i]) << c.title;
      EXPECT_EQ(cellText(wb, sheet, v.row1 - 2, 4), subject) << c.title;
      const std::string name = cellText(wb, s.name.sheet, n.row1, n.col1);
      EXPECT_EQ(name, headers[i] == "平均分" ? subject : headers[i]) << c.title;
      for (int r = 0; r < classes; ++r) {
        const std::string className = std::to_string(r + 1) + "班";
        EXPECT_EQ(cellText(wb, sheet, k.row1 + r, k.col1), className);
        EXPECT_EQ(cellText(wb, sheet, v.row1 + r, 1), className);
        EXPECT_TRUE(wb.find(sheet)->cell(v.row1 + r, v.col1).isNumeric()) << c.title << r;
      }
    }
    // Two charts across a landscape page, each whole on the page the sheet's layout prints.
    EXPECT_LE(c.anchor.col2, 18);
    const host::PrintLayout& page = *wb.find("统计图表")->printLayout();
    EXPECT_EQ(testing::pageOf(page, c.anchor.row1), testing::pageOf(page, c.anchor.row2))
        << c.title;
    EXPECT_GE(c.anchor.row2 - c.anchor.row1 + 1, 12) << c.title;
  }
  EXPECT_EQ(titles.size(), expected.size());

  for (std::size_t a = 0; a < charts.size(); ++a)
    for (std::size_t b = a + 1; b < charts.size(); ++b) {
      const host::Range x = charts[a].anchor, y = charts[b].anchor;
      EXPECT_TRUE(x.row2 < y.row1 || y.row2 < x.row1 || x.col2 < y.col1 || y.col2 < x.col1);
    }

  // Again on the same workbook: one chart sheet, its cells cleared, the same charts.
  const std::size_t sheets = wb.sheetCount();
  wb.find("统计图表")->setCell(1, 1, "旧内容");
  job.run(answers, date);
  EXPECT_EQ(wb.sheetCount(), sheets);
  EXPECT_EQ(wb.find("统计图表")->cellCount(), 0u);
  EXPECT_EQ(wb.find("统计图表")->charts(), charts);
}

INSTANTIATE_TEST_SUITE_P(Grades, ResultCharts,
                         ::testing::Values(Grade{1, 3, true}, Grade{2, 1, false},
                                           Grade{20, 12, true}));

TEST(ResultCharts, LeftOutTheChartSheetStaysAsItWas) {
  RunSettings settings;
  settings.charts = false;
  SilentDefaults answers;
  FixedDate date({2026, 12, 6});

  WorkbookJob fresh(sampleWorkbook({2, 5, 1, 1}), "样例");
  EXPECT_TRUE(fresh.run(answers, date, settings).chartSheet.empty());
  EXPECT_EQ(fresh.workbook().find("统计图表"), nullptr);

  WorkbookJob kept(sampleWorkbook({2, 5, 1, 1}), "样例");
  kept.workbook().addSheet("统计图表").setCell(1, 1, "自己的图");
  kept.run(answers, date, settings);
  EXPECT_EQ(textOf(kept.workbook().find("统计图表")->cell(1, 1)), "自己的图");
  EXPECT_FALSE(kept.workbook().find("统计图表")->chartsSet());
}

}  // namespace
}  // namespace valdrex
