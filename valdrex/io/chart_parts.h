// The charts of a sheet as package parts: one drawing for the sheet, one chart part for each
// chart, their relationships and content types.
#pragma once

#include <string>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/io/package_edit.h"
#include "valdrex/io/workbook_edit.h"

namespace valdrex::io {

// The chart's part (DrawingML). Its series refer to the cells they show and carry their current
// values too, for programs that draw without recalculating.
std::string chartXml(const host::Chart& chart, const host::MemoryWorkbook& book);

// Replaces the drawing of the worksheet part `sheetPart` by the sheet's charts: the drawing it
// had goes from the package with its charts, their relationships and content types; the charts,
// if any, go into a new drawing. Returns the sheet's relationship id of the new drawing, "" when
// there is none. The sheet's relationships part is written here; the content types are edited in
// `types`.
std::string replaceDrawing(PackageEdit& package, ContentTypesEdit& types,
                           const std::string& sheetPart, const host::MemorySheet& sheet);

}  // namespace valdrex::io
