#include "valdrex/bands/completion_rates.h"

#include "valdrex/bands/completion_targets.h"
#include "valdrex/bands/counters.h"
#include "valdrex/bands/sheet_frame.h"
#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/gradebook/ranking_functions.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/number_text.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

using Col = CompletionColumns;
constexpr const TableSheetLayout& kLayout = kCompletionLayout;
constexpr int kColumns = Col::last;

double divide(double x, double y) {
  if (y == 0) throw Failure(FailureKind::DivisionByZero, "除数为零");
  return x / y;
}

Rounded twoDecimals(double x) { return hundredths(x * 100); }

// x over y in percent with two decimals.
Rounded rate(double x, double y) { return hundredths(divide(x, y) * 10000); }

// Rates stand as text with a blank in the sign position; the sheet stores them as numbers.
std::string rateText(double x) { return " " + doubleText(x); }

double cellNumber(const host::Worksheet& sh, int row, int col) {
  return numericValue(sh.cell(row, col));
}

struct Tiers {
  CompletionTargets targets;
  std::string first, second;  // «1-50»: the grade's best n × T
};

// Table j's header, class rows and total row.
void writeTable(const GradeBook& g, host::Worksheet& sh, int16_t j, const Tiers& tiers,
                const RoundingTrace& trace) {
  const int classes = g.classCount;
  sh.setCell(kLayout.subjectNameRow(j, classes), kLayout.subjectNameColumn,
             g.headerTexts(g.firstSubjectColumn + j - 1));
  for (int col = 1; col <= kColumns; ++col)
    sh.setCell(kLayout.headerRow(j, classes), col, std::string(kCompletionHeader[col - 1]));

  int32_t takers = 0;
  double sum = 0;
  for (int b = 1; b <= g.classCount; ++b) {
    takers += g.examineeCounts(b, j);
    sum += g.scoreSums(b, j);
  }
  int16_t inFirst = 0, inSecond = 0;
  for (int16_t b = 1; b <= g.classCount; ++b) {
    std::string label1 = tiers.first, label2 = tiers.second;
    const int16_t c1 = toInteger(countRankBand(g, j, b, label1).number());
    const int16_t c2 = toInteger(countRankBand(g, j, b, label2).number());
    const int r = kLayout.classRow(j, classes, b);
    const int16_t count = g.examineeCounts(b, j);
    if (count <= 0) continue;
    sh.setCell(r, Col::className, g.classNames(b));
    sh.setCell(r, Col::examinees, Variant::integer(count));
    sh.setCell(r, Col::firstTierCount, Variant::integer(c1));
    sh.setCell(r, Col::firstTierRate, rateText(trace.keep(rate(c1, tiers.targets.first))));
    sh.setCell(r, Col::secondTierCount, Variant::integer(c2));
    sh.setCell(r, Col::secondTierRate, rateText(trace.keep(rate(c2, tiers.targets.second))));
    sh.setCell(r, Col::average,
               Variant::number(trace.keep(twoDecimals(g.scoreSums(b, j) / count))));
    // Against the grade average the total row shows, as the note says; a grade average of 0
    // leaves the rate empty, and the composite reads it as 0.
    const double gradeAverage = trace.keep(twoDecimals(divide(sum, takers)));
    if (gradeAverage != 0)
      sh.setCell(r, Col::averageRate,
                 rateText(trace.keep(rate(cellNumber(sh, r, Col::average), gradeAverage))));
    const double composite =
        static_cast<double>(g.weights(5, j)) * cellNumber(sh, r, Col::firstTierRate) +
        static_cast<double>(g.weights(6, j)) * cellNumber(sh, r, Col::secondTierRate) +
        static_cast<double>(g.weights(7, j)) * cellNumber(sh, r, Col::averageRate);
    sh.setCell(r, Col::composite, Variant::number(trace.keep(twoDecimals(composite))));
    sh.setCell(r, Col::teacher, g.teacherNames(b, j));
    inFirst = addInteger(inFirst, c1);
    inSecond = addInteger(inSecond, c2);
  }

  if (takers > 0) {
    const int r = kLayout.totalRow(j, classes);
    sh.setCell(r, Col::className, "合计");
    sh.setCell(r, Col::examinees, Variant::long_(takers));
    sh.setCell(r, Col::firstTierCount, Variant::integer(inFirst));
    sh.setCell(r, Col::secondTierCount, Variant::integer(inSecond));
    sh.setCell(r, Col::average, Variant::number(trace.keep(twoDecimals(sum / takers))));
  }
}

std::string notesOnTargets(const GradeBook& g, const CompletionTargets& t) {
  const int total = g.subjectCount + 1;
  return "各班一档指标数：" + std::to_string(t.first) + "，各班二档指标数：" +
         std::to_string(t.second) + "。总分综合积分=一档完成率×" + singleText(g.weights(5, total)) +
         "+二档完成率×" + singleText(g.weights(6, total)) + "+平均分完成率×" +
         singleText(g.weights(7, total));
}

}  // namespace

std::optional<CompletionTargets> writeCompletionRates(GradeBook& g, host::Worksheet& sh,
                                                      host::Ui& ui, host::Clock& clock,
                                                      const RoundingTrace& trace) {
  const auto targets = askCompletionTargets(ui, g.classCount);
  if (!targets) return targets;
  const int16_t classes = g.classCount;
  const Tiers tiers{*targets, "1-" + std::to_string(mulInteger(classes, targets->first)),
                    "1-" + std::to_string(mulInteger(classes, targets->second))};

  sh.clear(sh.usedRange());
  countTotalTakers(g);

  const int tables = g.subjectCount + 1;
  for (int16_t j = 1; j <= tables; ++j) writeTable(g, sh, j, tiers, trace);
  sh.setCell(kLayout.headerRow(tables, classes), Col::teacher, "班主任");

  // Ranks only once every composite of a table stands in the sheet.
  for (int j = 1; j <= tables; ++j) {
    for (int b = 1; b <= classes; ++b)
      writeRank(indexArgument(kLayout.classRow(j, classes, b)),
                indexArgument(kLayout.classRow(j, classes, 1)),
                indexArgument(kLayout.classRow(j, classes, classes)), indexArgument(Col::composite),
                indexArgument(Col::compositeRank), sh);
    addBorders(sh, indexArgument(kLayout.headerRow(j, classes)), indexArgument(Col::className),
               indexArgument(kLayout.totalRow(j, classes)), indexArgument(kColumns));
  }

  const int r = kLayout.noteRow(tables, classes);
  sh.setCell(r, Col::className,
             "注：一档完成率=一档人数÷一档指标数，二档完成率=二档人数÷二档指标数，"
             "平均分完成率=班级平均分÷年级平均分。");
  sh.setCell(r + 1, Col::className, notesOnTargets(g, *targets));
  sh.merge(host::between(r, Col::className, r, kColumns));
  sh.merge(host::between(r + 1, Col::className, r + 1, kColumns));

  writeDatedTitleRow(sh, kColumns + 1, clock);
  return targets;
}

}  // namespace valdrex
