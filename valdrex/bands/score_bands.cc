#include "valdrex/bands/score_bands.h"

#include "valdrex/bands/counters.h"
#include "valdrex/bands/sheet_frame.h"
#include "valdrex/gradebook/sheet_layout.h"
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
  const double full = m;
  sh.setCell(r, 1, "班级");
  sh.setCell(r, 2, "参考人数");
  // A bare number: the students with exactly the full mark.
  sh.setCell(r, 3, " " + doubleText(full));
  double bound = full;
  int t = 1;
  // In double: a total full mark of 1,639 or more would overflow 16-bit arithmetic here.
  const double lastBound = (full * 10 * 2) / 100;
  for (;;) {
    const double previous = bound;
    bound = (1 - (10.0 / 100) * t) * full;
    sh.setCell(r, t + 3, doubleText(previous) + "-" + doubleText(bound));
    ++t;
    if (bound <= lastBound) break;
  }
  sh.setCell(r, t + 3, " " + doubleText(bound) + "以下");
  sh.setCell(r, t + 4, " " + doubleText(0.6 * full) + "以下");
  sh.setCell(r, t + 5, "最高分");
  sh.setCell(r, t + 6, "最低分");
}

}  // namespace

void writeScoreBands(GradeBook& g, host::Worksheet& sh, host::Ui& ui, host::Clock& clock) {
  sh.setVisible(host::SheetVisibility::Visible);
  countWholeClassesForTotal(g);
  constexpr int first = BandSheetLayout::firstBandColumn;
  const bool fresh = isEmptyCell(sh, BandSheetLayout::firstHeaderRow, first);
  if (fresh) sh.clear(sh.usedRange());

  const int classes = g.classCount;
  int r = BandSheetLayout::firstHeaderRow;
  int c = 0;
  for (int16_t j = 1; j <= g.subjectCount + 1; ++j) {
    const int header = r;
    sh.setCell(r - 1, 4, g.headerTexts(g.firstSubjectColumn + j - 1));
    if (fresh || isEmptyCell(sh, r, first)) writeDefaultHeader(sh, r, g.markLines(1, j));

    for (int16_t b = 1; b <= classes; ++b) {
      ++r;
      sh.setCell(r, 1, g.classNames(b));
      sh.setCell(r, 2, Variant::integer(g.examineeCounts(b, j)));
      for (c = first; !isEmptyCell(sh, r - b, c); ++c) {
        std::string label = textOf(sh.cell(r - b, c));
        const Variant count = countScoreBand(g, j, b, label);
        if (count.isNumeric() && count.number() == -1) {
          showBadBandHeader(sh, ui, messageTitle("各分数段统计"), r - b, c);
          return;
        }
        sh.setCell(r, c, count);
      }
    }

    ++r;
    sh.setCell(r, 1, "合计");
    addBorders(sh, indexArgument(r - classes - 1), indexArgument(1), indexArgument(r),
               indexArgument(c - 1));
    // The last two header columns hold the highest and lowest scores, which do not add up.
    for (int col = 2; col <= c - 3; ++col) {
      int16_t sum = 0;
      for (int i = 1; i <= classes; ++i)
        sum = toInteger(sum + leadingNumber(textOf(sh.cell(r - i, col))));
      sh.setCell(r, col, Variant::integer(sum));
    }
    r = header + classes + kScoreBandLayout.gap;
  }
  writeDatedTitleRow(sh, c, clock);
}

}  // namespace valdrex
