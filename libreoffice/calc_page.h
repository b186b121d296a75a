// A sheet's printed page in Calc: its page style as the job's copy reads it (the page decides
// where the rows break), and the print layout a run computed, written back as manual row breaks,
// a page style of the sheet's own and print titles.
#pragma once

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <map>
#include <optional>

#include "valdrex/host/sheet_presentation.h"

namespace valdrex::calc {

using Doc = css::uno::Reference<css::sheet::XSpreadsheetDocument>;
using Sheet = css::uno::Reference<css::sheet::XSpreadsheet>;

// The sheet's page as a file would give it: nullopt for the document's default page style (a
// file without a page setup); Valdrex's own (its footer) with valdrexHeader; any other page style
// is the teacher's, its orientation, scale, margins and header as set there.
std::optional<host::PageAsRead> pageAsRead(const Doc& doc, const Sheet& sheet);

// Widths of columns 1 to `lastColumn` in character units.
std::map<int, double> columnWidths(const Sheet& sheet, int lastColumn);
void setColumnWidths(const Sheet& sheet, const std::map<int, double>& widths);

// The layout's row breaks replace the sheet's manual ones. A sheet on a page style of the
// teacher's keeps it; any other gets a page style of its own (named after the sheet) set up as
// the layout says: A4, orientation, scale, margins, the header with the title and the date and
// the footer "第 N 页，共 M 页". A sheet the run added (not layout.keepsOwnPage) also gets the
// print titles. Calc's failures are the host's.
void writePrintLayout(const Doc& doc, const Sheet& sheet, const host::PrintLayout& layout);

}  // namespace valdrex::calc
