// Sheets Valdrex makes open and print ready to read: landscape when the table is wide, one page
// wide, the header rows on every page, panes frozen below the header and right of the names,
// columns as wide as their texts and the header rows bold. A teacher's own sheets keep their
// settings: these are applied only to sheets Valdrex has just made.
#pragma once

#include <string_view>

#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// Column-width units a text takes: a wide (CJK) character counts 2, any other 1.
double textUnits(std::string_view text);

// The sheet as it holds its content now: the score sheet and the property sheet of a new
// workbook, a report sheet after the run filled it, or any other sheet Valdrex made (the chart
// sheet "统计图表": landscape, one page wide, widths fitted).
void makePrintReady(host::MemorySheet& sh);

// A new workbook: its score and property sheets as they are, and its empty report sheets laid
// out for what the run will write there, the widths read from the score and property sheets.
void makeNewWorkbookPrintReady(host::MemoryWorkbook& wb);

}  // namespace valdrex
