// The spreadsheet object model's numeric codes for the formats a sheet is given (xlCenter,
// xlContinuous, xlEdgeTop, xlSheetVisible, ...). The library speaks in enums; a host bridge that
// forwards the object model's own calls converts here, and only here.
#pragma once

#include "valdrex/host/worksheet.h"

namespace valdrex {

// HorizontalAlignment: General 1, Left -4131, Center -4108, Right -4152.
int objectModelCode(host::HAlign alignment);
// Borders(side): Left 1, Right 2, Top 3, Bottom 4.
int objectModelCode(host::BorderSide side);
// LineStyle: Continuous 1, None -4142.
int objectModelCode(host::LineStyle style);
// Visible: Visible -1, Hidden 0.
int objectModelCode(host::SheetVisibility visibility);

// The enums of codes; a code with no meaning here fails with Failure(HostError). Any visibility
// but 0 shows the sheet.
host::HAlign alignmentOfCode(int code);
host::BorderSide borderSideOfCode(int code);
host::LineStyle lineStyleOfCode(int code);
host::SheetVisibility visibilityOfCode(int code);

}  // namespace valdrex
