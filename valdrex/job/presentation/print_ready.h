// Sheets Valdrex makes open and print ready to read: landscape when the table is wide, one page
// wide at a scale written out, a header with the sheet's title and the run's date and a footer
// with the page number, panes frozen below the header and right of the names, columns as wide as
// their texts and the header rows bold. Pages break between tables, and before every class of the
// per-class lists; the header rows repeat on every page only where a table is taller than a page.
// A teacher's own sheets keep their settings: a report sheet the run wrote into gets its row
// breaks, and a header and page setup only where it has none of its own.
#pragma once

#include <string>
#include <string_view>

#include "valdrex/host/date.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// The run's date as the page header shows it: "2026/12/7".
std::string pageDate(const CivilDate& date);

// Rows of the default height (15 points) a printed page of `layout` holds, with room to spare for
// a program whose rows come out taller.
int rowsPerPage(const host::PrintLayout& layout);

// The layout of a landscape sheet `columns` default columns wide, at the scale that makes them one
// page wide: the chart sheet's.
host::PrintLayout landscapeLayoutFor(int columns);

// Column-width units a text takes: a wide (CJK) character counts 2, any other 1.
double textUnits(std::string_view text);

// The sheet as it holds its content now: the score sheet and the property sheet of a new
// workbook, a report sheet after the run filled it, or any other sheet Valdrex made (the chart
// sheet "统计图表": landscape, one page wide, widths fitted). `date` is the run's ("" for none).
void makePrintReady(host::MemorySheet& sh, std::string_view date = "");

// A report sheet the run wrote into but did not add: the row breaks its tables need and the run's
// date in its header. One read from a file has them on its own page (or on the page Valdrex would
// give it, when it has none, or when its page is one Valdrex wrote before the tables were there)
// and gets the header where it has none of its own or an earlier run's; its views, widths and
// print titles stay as they were. One Valdrex made for a new workbook is laid out for what it
// holds now, its widths kept.
void makeWrittenReportPrintReady(host::MemorySheet& sh, std::string_view date);

// A new workbook: its score and property sheets as they are, and its empty report sheets laid
// out for what the run will write there, the widths read from the score and property sheets.
void makeNewWorkbookPrintReady(host::MemoryWorkbook& wb);

}  // namespace valdrex
