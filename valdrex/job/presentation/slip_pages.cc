#include "valdrex/job/presentation/slip_pages.h"

#include <algorithm>
#include <cmath>

#include "valdrex/gradebook/report_layout.h"
#include "valdrex/job/presentation/print_ready.h"

namespace valdrex {

namespace {

using L = SlipSheetLayout;

// Pixels at the default font, and what an A4 page holds inside the default margins.
constexpr double kUnitPixels = 7, kColumnPixels = 5, kRowPixels = 20;
constexpr double kA4Short = 659, kA4Long = 978;
// Printers differ in their margins and fonts in their heights: leave a tenth of the page free.
constexpr double kSlack = 0.9;

}  // namespace

std::vector<int> slipPageBreaks(const std::vector<int>& slipsPerClass, int rowsPerPage) {
  const int slipsPerPage = std::max(1, rowsPerPage / L::rowsPerSlip);
  std::vector<int> breaks;
  int slip = 0;
  for (std::size_t c = 0; c < slipsPerClass.size(); ++c) {
    if (slipsPerClass[c] <= 0) continue;
    if (slip > 0) breaks.push_back(L::headerRow(slip));
    for (int i = 1; i < slipsPerClass[c]; ++i)
      if (i % slipsPerPage == 0) breaks.push_back(L::headerRow(slip + i));
    slip += slipsPerClass[c];
  }
  return breaks;
}

int printScalePercent(double across, bool landscape) {
  const double width = landscape ? kA4Long : kA4Short;
  return across > width ? std::max(10, static_cast<int>(std::floor(width / across * 100))) : 100;
}

int rowsPerPrintedPage(int scalePercent, bool landscape) {
  const double height = landscape ? kA4Short : kA4Long;
  return static_cast<int>(height * kSlack / (kRowPixels * std::max(scalePercent, 10) / 100.0));
}

void makeSlipsPrintReady(host::MemorySheet& sh) {
  makePrintReady(sh);
  double across = 0;
  for (const auto& [col, width] : sh.columnWidths()) across += width * kUnitPixels + kColumnPixels;
  // The slips of a class, told by the class cell of each slip's value row.
  std::vector<int> slipsPerClass;
  const int last = sh.usedRange().row2;
  Variant current;
  for (int i = 0; L::valueRow(i) <= last; ++i) {
    const Variant cls = sh.cell(L::valueRow(i), L::classColumn);
    if (slipsPerClass.empty() || !(cls == current)) slipsPerClass.push_back(0);
    current = cls;
    ++slipsPerClass.back();
  }
  host::PrintLayout layout = sh.printLayout().value_or(host::PrintLayout{});
  layout.fitToPageWidth = false;
  layout.scalePercent = printScalePercent(across, layout.landscape);
  layout.repeatFirstRow = layout.repeatLastRow = 0;
  layout.frozenRows = layout.frozenColumns = 0;
  layout.rowBreaks =
      slipPageBreaks(slipsPerClass, rowsPerPrintedPage(layout.scalePercent, layout.landscape));
  sh.setPrintLayout(layout);
}

}  // namespace valdrex
