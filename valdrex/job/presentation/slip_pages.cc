#include "valdrex/job/presentation/slip_pages.h"

#include <algorithm>

#include "valdrex/gradebook/report_layout.h"
#include "valdrex/job/presentation/print_ready.h"

namespace valdrex {

using L = SlipSheetLayout;

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

void makeSlipsPrintReady(host::MemorySheet& sh, std::string_view date) {
  makePrintReady(sh, date);
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
  layout.repeatFirstRow = layout.repeatLastRow = 0;
  layout.frozenRows = layout.frozenColumns = 0;
  layout.rowBreaks = slipPageBreaks(slipsPerClass, rowsPerPage(layout));
  sh.setPrintLayout(layout);
}

}  // namespace valdrex
