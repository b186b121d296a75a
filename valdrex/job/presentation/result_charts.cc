#include "valdrex/job/presentation/result_charts.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>

#include "valdrex/gradebook/report_layout.h"
#include "valdrex/job/presentation/print_ready.h"

namespace valdrex {

namespace {

using host::Chart;
using host::ChartKind;
using host::ChartSeries;
using host::SheetRange;

using TwoRates = TwoRatesColumns;
using Completion = CompletionColumns;

// Two charts across, nine default columns each: the sheet is printed landscape at the scale that
// makes them one page wide, and two rows of charts share a page.
constexpr int kChartColumns = 9;

std::string trimmed(std::string s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

const host::MemorySheet* sheetNamed(const host::MemoryWorkbook& wb, std::string_view name) {
  for (std::size_t i = 0; i < wb.sheetCount(); ++i)
    if (wb.sheetAt(i).name() == name) return &wb.sheetAt(i);
  return nullptr;
}

// Table `index` of a table sheet: its header row and a row per class below it.
struct Table {
  const host::MemorySheet* sheet = nullptr;
  const TableSheetLayout* layout = nullptr;
  int index = 0;
  int classes = 0;

  int header() const { return layout->headerRow(index, classes); }
  std::string text(int row, int col) const { return trimmed(textOf(sheet->cell(row, col))); }
  std::string headerText(int col) const { return text(header(), col); }
  SheetRange cell(int row, int col) const { return {sheet->name(), {row, col, row, col}}; }
  SheetRange headerCell(int col) const { return cell(header(), col); }
  SheetRange column(int col) const {
    return {
        sheet->name(),
        {layout->classRow(index, classes, 1), col, layout->classRow(index, classes, classes), col}};
  }
  ChartSeries series(const SheetRange& name, int col, const Table& labels) const {
    return {name, labels.column(TableSheetLayout::classColumn), column(col)};
  }
};

// Table `index` (from 1; the total's is the last) of a table sheet, when the run wrote it where
// the layout puts it: its header starts with "班级".
std::optional<Table> tableAt(const host::MemoryWorkbook& wb, const TableSheetLayout& layout,
                             int index, int classes) {
  const host::MemorySheet* sh = sheetNamed(wb, layout.name);
  if (!sh) return std::nullopt;
  Table t{sh, &layout, index, classes};
  if (t.headerText(layout.classColumn) != "班级") return std::nullopt;
  return t;
}

// The total's table, whose rows name every class, or nothing.
std::optional<Table> totalTable(const host::MemoryWorkbook& wb, const TableSheetLayout& layout,
                                int classes, int subjects) {
  auto t = tableAt(wb, layout, subjects + 1, classes);
  if (!t) return std::nullopt;
  for (int k = 1; k <= classes; ++k)
    if (t->text(layout.classRow(subjects + 1, classes, k), layout.classColumn).empty())
      return std::nullopt;
  return t;
}

Chart columnChart(ChartKind kind, std::string title, std::string valueAxis, bool percent) {
  Chart c;
  c.kind = kind;
  c.title = std::move(title);
  c.categoryAxisTitle = "班级";
  c.valueAxisTitle = std::move(valueAxis);
  c.percentValues = percent;
  return c;
}

// One chart per subject and the total: their full marks differ, so one axis would flatten the
// small ones, and 13 series of 20 classes in one chart could not be read.
std::optional<Chart> averages(const host::MemoryWorkbook& wb, const Table& total, int subject,
                              int classes, int subjects) {
  auto t = tableAt(wb, kTwoRatesLayout, subject, classes);
  if (!t || t->headerText(TwoRates::average) != "平均分") return std::nullopt;
  const int nameRow = kTwoRatesLayout.subjectNameRow(subject, classes);
  constexpr int nameColumn = TableSheetLayout::subjectNameColumn;
  std::string name = t->text(nameRow, nameColumn);
  if (name.empty()) name = subject > subjects ? "总分" : "科目" + std::to_string(subject);
  Chart c = columnChart(ChartKind::clusteredColumns, name + "各班平均分", "平均分", false);
  c.series.push_back(t->series(t->cell(nameRow, nameColumn), TwoRates::average, total));
  return c;
}

// A band column overlaps another when both count from the bottom ("以下") or to the top ("以上"),
// as the default header's " 60以下" does its " 20以下": stacked, it would count students twice.
bool overlapsEarlierBand(const std::string& label, const std::vector<std::string>& earlier) {
  for (const char* end : {"以下", "以上"}) {
    if (!label.ends_with(end)) continue;
    for (const std::string& e : earlier)
      if (e.ends_with(end)) return true;
  }
  return false;
}

// Bands are listed from the top of the scale down, the top band darkest; a stack is read from the
// bottom up, so stacked bands go in the other way round, the top band on top.
void shadeBands(Chart& c) {
  c.colours = host::SeriesColours::darkToLight;
  if (c.kind != ChartKind::stackedColumns) return;
  std::reverse(c.series.begin(), c.series.end());
  c.colours = host::SeriesColours::lightToDark;
}

std::optional<Chart> scoreBands(const Table& t) {
  Chart c = columnChart(ChartKind::stackedColumns, "总分各班分数段人数", "人数", false);
  std::vector<std::string> labels;
  for (int col = kScoreBandLayout.firstBandColumn; !t.headerText(col).empty(); ++col) {
    const std::string label = t.headerText(col);
    if (label == "最高分" || label == "最低分" || overlapsEarlierBand(label, labels)) continue;
    labels.push_back(label);
    c.series.push_back(t.series(t.headerCell(col), col, t));
  }
  if (c.series.empty()) return std::nullopt;
  shadeBands(c);
  return c;
}

// A rank band from the top of the grade: "前50名", "-50", "1-50".
bool fromFirstRank(const std::string& label) {
  return label.starts_with("前") || label.starts_with("-") || label.starts_with("—") ||
         label.starts_with("1-") || label.starts_with("1—");
}

// The default bands are cumulative (the best 60, 120, ...): side by side, not stacked, unless the
// teacher's bands are disjoint.
std::optional<Chart> rankBands(const Table& t) {
  Chart c = columnChart(ChartKind::clusteredColumns, "总分各班名次段人数", "人数", false);
  std::vector<std::string> labels;
  int cumulative = 0;
  for (int col = kRankBandLayout.firstBandColumn;
       col <= kRankBandLayout.lastBandColumn && !t.headerText(col).empty(); ++col) {
    const std::string label = t.headerText(col);
    // The default header repeats the whole grade's band when the grade is a multiple of the step.
    if (std::find(labels.begin(), labels.end(), label) != labels.end()) continue;
    labels.push_back(label);
    if (fromFirstRank(label)) ++cumulative;
    c.series.push_back(t.series(t.headerCell(col), col, t));
  }
  if (c.series.empty()) return std::nullopt;
  if (cumulative <= 1) c.kind = ChartKind::stackedColumns;
  shadeBands(c);
  return c;
}

// Left to right, top to bottom; a wide chart takes a row of its own. Each page holds two rows of
// charts, as tall as the page written for the sheet allows, a blank row under each.
void place(std::vector<Chart>& charts, const std::vector<bool>& wide) {
  const int pageRows = rowsPerPage(landscapeLayoutFor(2 * kChartColumns));
  const int pitch = pageRows / 2, chartRows = std::max(pitch - 1, 1);
  int row = 0, col = 0;
  for (std::size_t i = 0; i < charts.size(); ++i) {
    if (wide[i] && col == 1) ++row, col = 0;
    const int top = row / 2 * pageRows + row % 2 * pitch + 1;
    const int left = col * kChartColumns + 1;
    const int width = wide[i] ? 2 * kChartColumns : kChartColumns;
    charts[i].anchor = {top, left, top + chartRows - 1, left + width - 1};
    if (wide[i] || col == 1)
      ++row, col = 0;
    else
      col = 1;
  }
}

}  // namespace

// "进退步汇总": the students moved up and down, class by class.
std::optional<Chart> progressCounts(const host::MemoryWorkbook& wb, int classes) {
  using S = ProgressSummaryLayout;
  const host::MemorySheet* sh = sheetNamed(wb, ReportSheets::progressSummary);
  if (!sh || trimmed(textOf(sh->cell(S::headerRow, S::className))) != "班级") return std::nullopt;
  const std::string name = sh->name();
  auto column = [&](int col) {
    return SheetRange{name, {S::classRow(1), col, S::classRow(classes), col}};
  };
  Chart c = columnChart(ChartKind::clusteredColumns, "各班进步、退步人数", "人数", false);
  for (int col : {S::upward, S::downward})
    c.series.push_back({SheetRange{name, {S::headerRow, col, S::headerRow, col}},
                        column(S::className), column(col)});
  return c;
}

std::vector<Chart> resultCharts(const host::MemoryWorkbook& wb, int classes, int subjects,
                                bool progress) {
  std::vector<Chart> charts;
  std::vector<bool> wide;
  if (classes <= 0 || subjects <= 0) return charts;
  auto add = [&](std::optional<Chart> c, bool isWide) {
    if (!c) return;
    charts.push_back(std::move(*c));
    wide.push_back(isWide);
  };

  const auto rates = totalTable(wb, kTwoRatesLayout, classes, subjects);
  if (rates) {
    add(averages(wb, *rates, subjects + 1, classes, subjects), false);
    if (rates->headerText(TwoRates::excellentRate) == "优秀率" &&
        rates->headerText(TwoRates::passRate) == "及格率") {
      Chart c = columnChart(ChartKind::clusteredColumns, "总分各班优秀率与及格率", "百分比", true);
      for (int col : {TwoRates::excellentRate, TwoRates::passRate})
        c.series.push_back(rates->series(rates->headerCell(col), col, *rates));
      add(std::move(c), false);
    }
  }
  if (auto t = totalTable(wb, kScoreBandLayout, classes, subjects)) add(scoreBands(*t), false);
  if (auto t = totalTable(wb, kCompletionLayout, classes, subjects);
      t && t->headerText(Completion::firstTierRate) == "一档完成率" &&
      t->headerText(Completion::secondTierRate) == "二档完成率") {
    Chart c = columnChart(ChartKind::clusteredColumns, "总分各班一档、二档完成率", "完成率", true);
    for (int col : {Completion::firstTierRate, Completion::secondTierRate})
      c.series.push_back(t->series(t->headerCell(col), col, *t));
    add(std::move(c), false);
  }
  if (auto t = totalTable(wb, kRankBandLayout, classes, subjects)) add(rankBands(*t), true);
  if (rates)
    for (int j = 1; j <= subjects; ++j) add(averages(wb, *rates, j, classes, subjects), false);
  if (progress) add(progressCounts(wb, classes), false);
  place(charts, wide);
  return charts;
}

int writeChartSheet(host::MemoryWorkbook& wb, int classes, int subjects, bool progress,
                    std::string_view date) {
  std::vector<Chart> charts = resultCharts(wb, classes, subjects, progress);
  host::MemorySheet* sh = wb.find(kChartSheetName);
  if (!sh) sh = &wb.addSheet(std::string(kChartSheetName));
  if (sh->cellCount() > 0 || !sh->merges().empty()) sh->clear(sh->usedRange());
  const int count = static_cast<int>(charts.size());
  sh->setCharts(std::move(charts));
  makePrintReady(*sh, date);
  // A page break above every page's first row of charts, wherever a program would break.
  host::PrintLayout layout = *sh->printLayout();
  const int pageRows = rowsPerPage(landscapeLayoutFor(2 * kChartColumns));
  std::set<int> pages;
  for (const Chart& c : sh->charts())
    if (c.anchor.row1 > pageRows) pages.insert((c.anchor.row1 - 1) / pageRows * pageRows + 1);
  layout.rowBreaks.assign(pages.begin(), pages.end());
  sh->setPrintLayout(std::move(layout));
  return count;
}

}  // namespace valdrex
