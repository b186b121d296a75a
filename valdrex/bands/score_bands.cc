#include "valdrex/bands/score_bands.h"

#include "valdrex/bands/counters.h"
#include "valdrex/bands/sheet_frame.h"
#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/number_text.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

bool isEmptyCell(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col)).empty();
}

// Bands of a tenth of the full mark M from the top down to a fifth, then the catch-alls.
void writeDefaultHeader(host::Worksheet& sh, int r, int16_t m) {
  using L = TableSheetLayout;
  const double full = m;
  sh.setCell(r, L::classColumn, "班级");
  sh.setCell(r, L::examineeColumn, "参考人数");
  // A bare number: the students with exactly the full mark.
  sh.setCell(r, L::firstBandColumn, " " + doubleText(full));
  double bound = full;
  int t = 1;
  // In double: a total full mark of 1,639 or more would overflow 16-bit arithmetic here.
  const double lastBound = (full * 10 * 2) / 100;
  for (;;) {
    const double previous = bound;
    bound = (1 - (10.0 / 100) * t) * full;
    sh.setCell(r, L::firstBandColumn + t, doubleText(previous) + "-" + doubleText(bound));
    ++t;
    if (bound <= lastBound) break;
  }
  const int c = L::firstBandColumn + t;
  sh.setCell(r, c, " " + doubleText(bound) + "以下");
  sh.setCell(r, c + 1, " " + doubleText(0.6 * full) + "以下");
  sh.setCell(r, c + 2, "最高分");
  sh.setCell(r, c + 3, "最低分");
}

}  // namespace

void writeScoreBands(GradeBook& g, host::Worksheet& sh, host::Ui& ui, host::Clock& clock) {
  sh.setVisible(host::SheetVisibility::Visible);
  countTotalTakers(g);
  constexpr const TableSheetLayout& L = kScoreBandLayout;
  constexpr int first = L.firstBandColumn;
  const bool fresh = isEmptyCell(sh, L.firstHeaderRow, first);
  if (fresh) sh.clear(sh.usedRange());

  const int classes = g.classCount;
  int c = 0;
  for (int16_t j = 1; j <= g.subjectCount + 1; ++j) {
    const int header = L.headerRow(j, classes);
    sh.setCell(L.subjectNameRow(j, classes), L.subjectNameColumn,
               g.headerTexts(g.firstSubjectColumn + j - 1));
    if (fresh || isEmptyCell(sh, header, first)) writeDefaultHeader(sh, header, g.markLines(1, j));

    for (int16_t b = 1; b <= classes; ++b) {
      const int r = L.classRow(j, classes, b);
      sh.setCell(r, L.classColumn, g.classNames(b));
      sh.setCell(r, L.examineeColumn, Variant::integer(g.examineeCounts(b, j)));
      for (c = first; !isEmptyCell(sh, header, c); ++c) {
        std::string label = textOf(sh.cell(header, c));
        const Variant count = countScoreBand(g, j, b, label);
        if (count.isNumeric() && count.number() == -1) {
          showBadBandHeader(sh, ui, messageTitle("各分数段统计"), header, c);
          return;
        }
        sh.setCell(r, c, count);
      }
    }

    const int total = L.totalRow(j, classes);
    sh.setCell(total, L.classColumn, "合计");
    addBorders(sh, indexArgument(header), indexArgument(L.classColumn), indexArgument(total),
               indexArgument(c - 1));
    // The last two header columns hold the highest and lowest scores, which do not add up.
    for (int col = L.examineeColumn; col <= c - 3; ++col) {
      int16_t sum = 0;
      for (int i = 1; i <= classes; ++i)
        sum = toInteger(sum + leadingNumber(textOf(sh.cell(total - i, col))));
      sh.setCell(total, col, Variant::integer(sum));
    }
  }
  writeDatedTitleRow(sh, c, clock);
}

}  // namespace valdrex
