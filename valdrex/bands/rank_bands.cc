#include "valdrex/bands/rank_bands.h"

#include <algorithm>

#include "valdrex/bands/counters.h"
#include "valdrex/bands/sheet_frame.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

bool isEmptyCell(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col)).empty();
}

std::string topLabel(int n) { return "前" + std::to_string(n) + "名"; }

// Cumulative top-N bands a step apart, closed by the whole grade.
void writeDefaultHeader(host::Worksheet& sh, int r, int step, int students) {
  sh.setCell(r, 1, "班级");
  sh.setCell(r, 2, "参考人数");
  for (int t = 1; t <= 100; ++t) {
    if (step * t > students) {
      sh.setCell(r, t + 2, topLabel(students));
      break;
    }
    sh.setCell(r, t + 2, topLabel(step * t));
  }
}

}  // namespace

void writeRankBands(GradeBook& g, host::Worksheet& sh, host::Ui& ui, host::Clock& clock) {
  countWholeClassesForTotal(g);
  constexpr int first = BandSheetLayout::firstBandColumn;
  const bool fresh = isEmptyCell(sh, BandSheetLayout::firstHeaderRow, first);
  // A tenth of the grade in whole hundreds: 650 students give bands of 60.
  const int step = std::max(5, g.studentCount / 100 * 10);
  if (fresh) sh.clear(sh.usedRange());

  const int classes = g.classCount;
  int r = BandSheetLayout::firstHeaderRow;
  int c = 0;
  for (int16_t j = 1; j <= g.subjectCount + 1; ++j) {
    const int header = r;
    if (fresh || isEmptyCell(sh, r, first)) {
      sh.setCell(r - 1, 4, g.headerTexts(g.firstSubjectColumn + j - 1));
      writeDefaultHeader(sh, r, step, g.studentCount);
    }

    for (int16_t b = 1; b <= classes; ++b) {
      ++r;
      sh.setCell(r, 1, g.classNames(b));
      sh.setCell(r, 2, Variant::integer(g.examineeCounts(b, j)));
      for (c = first; c <= kRankBandLayout.lastBandColumn && !isEmptyCell(sh, r - b, c); ++c) {
        std::string label = textOf(sh.cell(r - b, c));
        const Variant count = countRankBand(g, j, b, label);
        if (count.isNumeric() && count.number() == -1) {
          showBadBandHeader(sh, ui, messageTitle("各名次段统计"), r - b, c);
          return;
        }
        sh.setCell(r, c, count);
      }
    }

    addBorders(sh, indexArgument(r - classes), indexArgument(1), indexArgument(r),
               indexArgument(c - 1));
    r = header + classes + kRankBandLayout.gap;
  }
  writeDatedTitleRow(sh, c, clock);
}

}  // namespace valdrex
