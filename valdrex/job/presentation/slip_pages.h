// The pages of "成绩条": each class starts on a new page, and no slip is cut by a page break.
#pragma once

#include <string_view>
#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// The rows a new page starts at, for classes of these many slips one after another from row 1
// (SlipSheetLayout), when a page holds `rowsPerPage` rows: at every class after the first, and
// before a slip that would not fit whole on the page. A page that holds less than one slip
// breaks before every slip.
std::vector<int> slipPageBreaks(const std::vector<int>& slipsPerClass, int rowsPerPage);

// "成绩条" as the run wrote it, print ready as any sheet Valdrex made (one page wide at a fixed
// scale, titled and dated), with its page breaks between classes and slips and no rows repeated.
void makeSlipsPrintReady(host::MemorySheet& sh, std::string_view date);

}  // namespace valdrex
