// The spreadsheet object model's numeric codes for the formats a sheet is given (xlCenter,
// xlContinuous, xlEdgeTop, xlSheetVisible, ...). The library speaks in enums; a host bridge that
// forwards the object model's own calls converts here, and only here.
#pragma once

#include "valdrex/host/ui.h"
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

// MsgBox styles: vbOKOnly 0, vbCritical 16, vbYesNo + vbQuestion 36, vbInformation 64, and the
// 128 the band sheets ask with; buttons vbOK 1, vbYes 6, vbNo 7.
constexpr int objectModelCode(host::MessageStyle style) {
  switch (style) {
    case host::MessageStyle::plain:
      return 0;
    case host::MessageStyle::critical:
      return 16;
    case host::MessageStyle::yesNoQuestion:
      return 36;
    case host::MessageStyle::information:
      return 64;
    case host::MessageStyle::plainSecondDefault:
      return 128;
  }
  return 0;
}

constexpr int objectModelCode(host::Button button) {
  switch (button) {
    case host::Button::ok:
      return 1;
    case host::Button::yes:
      return 6;
    case host::Button::no:
      return 7;
  }
  return 1;
}

// The enums of codes; a code with no meaning here fails with Failure(HostError). Any visibility
// but 0 shows the sheet.
host::HAlign alignmentOfCode(int code);
host::BorderSide borderSideOfCode(int code);
host::LineStyle lineStyleOfCode(int code);
host::SheetVisibility visibilityOfCode(int code);

}  // namespace valdrex
