// The spreadsheet's numeric codes of message box styles and buttons, for callers that speak the
// automation interface's numbers; inside the library the typed values of host/ui.h are used.
#pragma once

#include "valdrex/host/ui.h"

namespace valdrex {

constexpr int messageStyleCode(host::MessageStyle style) {
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

constexpr int buttonCode(host::Button button) {
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

}  // namespace valdrex
