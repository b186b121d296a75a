#include "valdrex/reports/two_rates.h"

#include <string>
#include <vector>

#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/gradebook/ranking_functions.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/number_text.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

using Columns = TwoRatesColumns;
constexpr const TableSheetLayout& kLayout = kTwoRatesLayout;

// x ÷ y × scale rounded to a whole number (halves to even), then ÷ 100: a percentage for scale
// 10000, a two-decimal value for scale 100.
Rounded rounded(double x, double y, double scale) { return hundredths(x / y * scale); }

// Rates go in as typed text, " 33.33", which the sheet stores as a number.
void writeRate(host::Worksheet& sh, int row, int col, double rate) {
  sh.setCell(row, col, Variant::text(" " + doubleText(rate)));
}

struct Weights {
  double average, excellent, pass, low;
};

Weights weightsOf(const GradeBook& g, int j, bool lowRate) {
  return {g.weights(1, j), g.weights(2, j), g.weights(3, j), lowRate ? g.weights(4, j) : 0.0};
}

void classRow(const GradeBook& g, host::Worksheet& sh, const Columns& cols, const Weights& w, int r,
              int k, int j, const RoundingTrace& trace) {
  const double sat = g.examineeCounts(k, j);
  sh.setCell(r, Columns::className, g.classNames(k));
  sh.setCell(r, Columns::examinees, Variant::integer(g.examineeCounts(k, j)));
  sh.setCell(r, Columns::excellentCount, Variant::integer(g.excellentCounts(k, j)));
  sh.setCell(r, Columns::passCount, Variant::integer(g.passCounts(k, j)));
  writeRate(sh, r, Columns::passRate, trace.keep(rounded(g.passCounts(k, j), sat, 10000)));
  writeRate(sh, r, Columns::excellentRate,
            trace.keep(rounded(g.excellentCounts(k, j), sat, 10000)));
  if (cols.lowRate)
    writeRate(sh, r, Columns::lowRateColumn, trace.keep(rounded(g.lowCounts(k, j), sat, 10000)));
  sh.setCell(r, Columns::average,
             Variant::number(trace.keep(rounded(g.scoreSums(k, j), sat, 100))));

  // The composite is built from the values as the sheet holds them, already rounded.
  double composite = w.excellent * numericValue(sh.cell(r, Columns::excellentRate)) +
                     w.pass * numericValue(sh.cell(r, Columns::passRate)) +
                     w.average * numericValue(sh.cell(r, Columns::average));
  if (cols.lowRate) composite -= w.low * numericValue(sh.cell(r, Columns::lowRateColumn));
  sh.setCell(r, cols.composite(), Variant::number(trace.keep(rounded(composite, 1, 100))));
  sh.setCell(r, cols.teacher(), g.teacherNames(k, j));
}

struct BlockSums {
  int32_t sat = 0, pass = 0, excellent = 0;
  double scores = 0;
};

void totalRow(host::Worksheet& sh, const BlockSums& sum, int r, const RoundingTrace& trace) {
  if (sum.sat <= 0) return;
  sh.setCell(r, Columns::className, "合计");
  sh.setCell(r, Columns::examinees, Variant::long_(sum.sat));
  sh.setCell(r, Columns::excellentCount, Variant::long_(sum.excellent));
  sh.setCell(r, Columns::passCount, Variant::long_(sum.pass));
  writeRate(sh, r, Columns::passRate, trace.keep(rounded(sum.pass, sum.sat, 10000)));
  // Over those who sat, like the pass rate: dividing by every student of the grade would
  // understate the rate of a subject some did not sit.
  writeRate(sh, r, Columns::excellentRate, trace.keep(rounded(sum.excellent, sum.sat, 10000)));
  sh.setCell(r, Columns::average, Variant::number(trace.keep(rounded(sum.scores, sum.sat, 100))));
}

Variant number(int v) { return Variant::long_(v); }

// Ranks of the classes of table j among themselves, and the table's border.
void rankBlock(host::Worksheet& sh, const Columns& cols, int j, int n) {
  const Variant b = number(kLayout.classRow(j, n, 1)), c = number(kLayout.classRow(j, n, n));
  for (int k = 1; k <= n; ++k) {
    const Variant a = number(kLayout.classRow(j, n, k));
    writeRank(a, b, c, number(cols.composite()), number(cols.compositeRank()), sh);
    writeRank(a, b, c, number(Columns::excellentRate), number(cols.excellentRateRank()), sh);
    writeRank(a, b, c, number(Columns::passRate), number(cols.passRateRank()), sh);
    writeRank(a, b, c, number(Columns::average), number(cols.averageRank()), sh);
  }
  addBorders(sh, number(kLayout.headerRow(j, n)), number(Columns::className),
             number(kLayout.totalRow(j, n)), number(cols.last()));
}

std::string noteText(const GradeBook& g, bool lowRate) {
  const int total = g.subjectCount + 1;
  std::string note = "注：总分综合积分=优秀率×" + singleText(g.weights(2, total)) + "+及格率×" +
                     singleText(g.weights(3, total)) + "+平均分×" + singleText(g.weights(1, total));
  if (lowRate) note += "-低分率×" + singleText(g.weights(4, total));
  return note;
}

}  // namespace

std::vector<std::string> twoRatesHeader(bool lowRate) {
  std::vector<std::string> h = {"班级",   "参考人数", "优秀人数", "及格人数",
                                "优秀率", "及格率",   "平均分"};
  if (lowRate) h.push_back("低分率");
  for (const char* s :
       {"综合积分", "综合名次", "优秀率排名", "及格率排名", "平均分排名", "任课教师"})
    h.push_back(s);
  return h;
}

void writeTwoRates(GradeBook& g, host::Workbook&, host::Worksheet& sh, host::Clock& clock,
                   const RoundingTrace& trace) {
  sh.clear(sh.usedRange());
  const int n = g.classCount;
  countTotalTakers(g);

  const Columns cols{g.hasLowRate()};
  const std::vector<std::string> headers = twoRatesHeader(cols.lowRate);

  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    const int header = kLayout.headerRow(j, n);
    sh.setCell(kLayout.subjectNameRow(j, n), kLayout.subjectNameColumn,
               g.headerTexts(g.firstSubjectColumn + j - 1));
    for (int c = 1; c <= cols.last(); ++c) sh.setCell(header, c, headers[c - 1]);
    const Weights w = weightsOf(g, j, cols.lowRate);
    BlockSums sum;
    for (int k = 1; k <= n; ++k) {
      // Nobody sat: the row stays empty rather than dividing by zero.
      if (g.examineeCounts(k, j) <= 0) continue;
      classRow(g, sh, cols, w, kLayout.classRow(j, n, k), k, j, trace);
      sum.sat += g.examineeCounts(k, j);
      sum.pass += g.passCounts(k, j);
      sum.excellent += g.excellentCounts(k, j);
      sum.scores += g.scoreSums(k, j);
    }
    totalRow(sh, sum, kLayout.totalRow(j, n), trace);
  }

  const int tables = g.subjectCount + 1;
  sh.setCell(kLayout.headerRow(tables, n), cols.teacher(), "班主任");

  for (int j = 1; j <= tables; ++j) rankBlock(sh, cols, j, n);

  const int noteRow = kLayout.noteRow(tables, n);
  sh.setCell(noteRow, Columns::className, noteText(g, cols.lowRate));
  sh.merge(host::between(noteRow, Columns::className, noteRow, cols.last()));

  using Title = ReportTitleLayout;
  sh.merge(host::between(Title::row, Title::firstColumn, Title::row,
                         Title::lastTitleColumn(cols.last())));
  sh.setHorizontalAlignment(host::wholeRow(Title::row), host::HAlign::Center);
  sh.merge(host::between(Title::row, Title::dateColumn(cols.last()), Title::row, cols.last()));
  sh.setCell(Title::row, Title::dateColumn(cols.last()), Variant::date(dateSerial(clock.today())));
}

}  // namespace valdrex
