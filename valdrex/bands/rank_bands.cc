#include "valdrex/bands/rank_bands.h"

#include <algorithm>

#include "valdrex/bands/counters.h"
#include "valdrex/bands/sheet_frame.h"
#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

bool isEmptyCell(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col)).empty();
}

std::string topLabel(int n) { return "前" + std::to_string(n) + "名"; }

// Cumulative top-N bands a step apart, closed by the whole grade.
void writeDefaultHeader(host::Worksheet& sh, int r, int step, int students) {
  using L = TableSheetLayout;
  sh.setCell(r, L::classColumn, "班级");
  sh.setCell(r, L::examineeColumn, "参考人数");
  for (int t = 1; t <= kRankBands; ++t) {
    const int c = L::firstBandColumn + t - 1;
    if (step * t > students) {
      sh.setCell(r, c, topLabel(students));
      break;
    }
    sh.setCell(r, c, topLabel(step * t));
  }
}

}  // namespace

void writeRankBands(GradeBook& g, host::Worksheet& sh, host::Ui& ui, host::Clock& clock) {
  countTotalTakers(g);
  constexpr const TableSheetLayout& L = kRankBandLayout;
  constexpr int first = L.firstBandColumn;
  const bool fresh = isEmptyCell(sh, L.firstHeaderRow, first);
  // A tenth of the grade in whole hundreds: 650 students give bands of 60.
  const int step = std::max(5, g.studentCount / 100 * 10);
  if (fresh) sh.clear(sh.usedRange());

  const int classes = g.classCount;
  int c = 0;
  for (int16_t j = 1; j <= g.subjectCount + 1; ++j) {
    const int header = L.headerRow(j, classes);
    if (fresh || isEmptyCell(sh, header, first)) {
      sh.setCell(L.subjectNameRow(j, classes), L.subjectNameColumn,
                 g.headerTexts(g.firstSubjectColumn + j - 1));
      writeDefaultHeader(sh, header, step, g.studentCount);
    }

    for (int16_t b = 1; b <= classes; ++b) {
      const int r = L.classRow(j, classes, b);
      sh.setCell(r, L.classColumn, g.classNames(b));
      sh.setCell(r, L.examineeColumn, Variant::integer(g.examineeCounts(b, j)));
      for (c = first; c <= L.lastBandColumn && !isEmptyCell(sh, header, c); ++c) {
        std::string label = textOf(sh.cell(header, c));
        const Variant count = countRankBand(g, j, b, label);
        if (count.isNumeric() && count.number() == -1) {
          showBadBandHeader(sh, ui, messageTitle("各名次段统计"), header, c);
          return;
        }
        sh.setCell(r, c, count);
      }
    }

    // No total row: the bands count from the top of the grade.
    addBorders(sh, indexArgument(header), indexArgument(L.classColumn),
               indexArgument(L.classRow(j, classes, classes)), indexArgument(c - 1));
  }
  writeDatedTitleRow(sh, c, clock);
}

}  // namespace valdrex
