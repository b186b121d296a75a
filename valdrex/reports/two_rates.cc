#include "valdrex/reports/two_rates.h"

#include <string>
#include <vector>

#include "valdrex/gradebook/ranking_functions.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/number_text.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

// Column numbers of one block; f = 1 inserts "低分率" at column 8 and shifts the rest right.
struct Columns {
  int f;
  int excellentRate() const { return 5; }
  int passRate() const { return 6; }
  int average() const { return 7; }
  int lowRate() const { return 8; }
  int composite() const { return 8 + f; }
  int compositeRank() const { return 9 + f; }
  int teacher() const { return 13 + f; }
  int last() const { return 13 + f; }
};

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

Weights weightsOf(const GradeBook& g, int j, int f) {
  return {g.weights(1, j), g.weights(2, j), g.weights(3, j), f == 1 ? g.weights(4, j) : 0.0};
}

void classRow(const GradeBook& g, host::Worksheet& sh, const Columns& cols, const Weights& w, int r,
              int k, int j, const RoundingTrace& trace) {
  const double sat = g.examineeCounts(k, j);
  sh.setCell(r, 1, g.classNames(k));
  sh.setCell(r, 2, Variant::integer(g.examineeCounts(k, j)));
  sh.setCell(r, 3, Variant::integer(g.excellentCounts(k, j)));
  sh.setCell(r, 4, Variant::integer(g.passCounts(k, j)));
  writeRate(sh, r, cols.passRate(), trace.keep(rounded(g.passCounts(k, j), sat, 10000)));
  writeRate(sh, r, cols.excellentRate(), trace.keep(rounded(g.excellentCounts(k, j), sat, 10000)));
  if (cols.f == 1)
    writeRate(sh, r, cols.lowRate(), trace.keep(rounded(g.lowCounts(k, j), sat, 10000)));
  sh.setCell(r, cols.average(), Variant::number(trace.keep(rounded(g.scoreSums(k, j), sat, 100))));

  // The composite is built from the values as the sheet holds them, already rounded.
  double composite = w.excellent * numericValue(sh.cell(r, cols.excellentRate())) +
                     w.pass * numericValue(sh.cell(r, cols.passRate())) +
                     w.average * numericValue(sh.cell(r, cols.average()));
  if (cols.f == 1) composite -= w.low * numericValue(sh.cell(r, cols.lowRate()));
  sh.setCell(r, cols.composite(), Variant::number(trace.keep(rounded(composite, 1, 100))));
  sh.setCell(r, cols.teacher(), g.teacherNames(k, j));
}

struct BlockSums {
  int32_t sat = 0, pass = 0, excellent = 0;
  double scores = 0;
};

void totalRow(host::Worksheet& sh, const Columns& cols, const BlockSums& sum, int r,
              const RoundingTrace& trace) {
  if (sum.sat <= 0) return;
  sh.setCell(r, 1, "合计");
  sh.setCell(r, 2, Variant::long_(sum.sat));
  sh.setCell(r, 3, Variant::long_(sum.excellent));
  sh.setCell(r, 4, Variant::long_(sum.pass));
  writeRate(sh, r, cols.passRate(), trace.keep(rounded(sum.pass, sum.sat, 10000)));
  // Over those who sat, like the pass rate: dividing by every student of the grade would
  // understate the rate of a subject some did not sit.
  writeRate(sh, r, cols.excellentRate(), trace.keep(rounded(sum.excellent, sum.sat, 10000)));
  sh.setCell(r, cols.average(), Variant::number(trace.keep(rounded(sum.scores, sum.sat, 100))));
}

Variant number(int v) { return Variant::long_(v); }

void rankBlock(host::Worksheet& sh, const Columns& cols, int h, int n) {
  for (int k = 1; k <= n; ++k) {
    const Variant a = number(h + k), b = number(h + 1), c = number(h + n);
    writeRank(a, b, c, number(cols.composite()), number(cols.compositeRank()), sh);
    writeRank(a, b, c, number(cols.excellentRate()), number(cols.compositeRank() + 1), sh);
    writeRank(a, b, c, number(cols.passRate()), number(cols.compositeRank() + 2), sh);
    writeRank(a, b, c, number(cols.average()), number(cols.compositeRank() + 3), sh);
  }
  addBorders(sh, number(h), number(1), number(h + n + 1), number(cols.last()));
}

std::string noteText(const GradeBook& g, int f) {
  const int total = g.subjectCount + 1;
  std::string note = "注：总分综合积分=优秀率×" + singleText(g.weights(2, total)) + "+及格率×" +
                     singleText(g.weights(3, total)) + "+平均分×" + singleText(g.weights(1, total));
  if (f == 1) note += "-低分率×" + singleText(g.weights(4, total));
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
  // Everyone of a class counts as having sat the total.
  for (int k = 1; k <= n; ++k) g.examineeCounts(k, g.subjectCount + 1) = g.classSizes(k);

  const Columns cols{g.lowRateLabel == "低分率" ? 1 : 0};
  const std::vector<std::string> headers = twoRatesHeader(cols.f == 1);

  int r = 3;
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    sh.setCell(r - 1, 4, g.headerTexts(g.firstSubjectColumn + j - 1));
    for (int c = 1; c <= cols.last(); ++c) sh.setCell(r, c, headers[c - 1]);
    const Weights w = weightsOf(g, j, cols.f);
    BlockSums sum;
    for (int k = 1; k <= n; ++k) {
      ++r;
      // Nobody sat: the row stays empty rather than dividing by zero.
      if (g.examineeCounts(k, j) <= 0) continue;
      classRow(g, sh, cols, w, r, k, j, trace);
      sum.sat += g.examineeCounts(k, j);
      sum.pass += g.passCounts(k, j);
      sum.excellent += g.excellentCounts(k, j);
      sum.scores += g.scoreSums(k, j);
    }
    ++r;
    totalRow(sh, cols, sum, r, trace);
    r += 2;
  }

  const int lastHeader = 3 + g.subjectCount * (n + 3);
  sh.setCell(lastHeader, cols.teacher(), "班主任");

  for (int j = 1; j <= g.subjectCount + 1; ++j) rankBlock(sh, cols, 3 + (j - 1) * (n + 3), n);

  const int noteRow = lastHeader + n + 2;
  sh.setCell(noteRow, 1, noteText(g, cols.f));
  sh.merge(host::between(noteRow, 1, noteRow, cols.last()));

  sh.merge(host::between(1, 1, 1, 11 + cols.f));
  sh.setHorizontalAlignment(host::wholeRow(1), host::HAlign::Center);
  sh.merge(host::between(1, 12 + cols.f, 1, 13 + cols.f));
  sh.setCell(1, 12 + cols.f, Variant::date(dateSerial(clock.today())));
}

}  // namespace valdrex
