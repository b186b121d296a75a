// The pages of "成绩条": each class starts on a new page, and no slip is cut by a page break.
#pragma once

#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// The rows a new page starts at, for classes of these many slips one after another from row 1
// (SlipSheetLayout), when a page holds `rowsPerPage` rows: at every class after the first, and
// before a slip that would not fit whole on the page. A page that holds less than one slip
// breaks before every slip.
std::vector<int> slipPageBreaks(const std::vector<int>& slipsPerClass, int rowsPerPage);

// The scale, in whole percents, that prints a sheet whose columns are `across` pixels wide on one
// A4 page's width, upright or `landscape`; at most 100.
int printScalePercent(double across, bool landscape);
// The rows an A4 page holds at that scale, with slack for a printer's own margins.
int rowsPerPrintedPage(int scalePercent, bool landscape);

// "成绩条" as the run wrote it, print ready: widths fitted, scaled to one page wide (a fixed scale,
// which keeps the breaks), its page breaks between classes and slips.
void makeSlipsPrintReady(host::MemorySheet& sh);

}  // namespace valdrex
