#include "valdrex/bands/sheet_frame.h"

#include "valdrex/gradebook/report_layout.h"
#include "valdrex/host/date.h"

namespace valdrex {

void writeDatedTitleRow(host::Worksheet& sh, int c, host::Clock& clock) {
  using Title = ReportTitleLayout;
  const int width = c - 1;
  sh.merge(
      host::between(Title::row, Title::firstColumn, Title::row, Title::lastTitleColumn(width)));
  sh.setHorizontalAlignment(host::wholeRow(Title::row), host::HAlign::Center);
  sh.merge(host::between(Title::row, Title::dateColumn(width), Title::row, width));
  sh.setCell(Title::row, Title::dateColumn(width), Variant::date(dateSerial(clock.today())));
}

void showBadBandHeader(host::Worksheet& sh, host::Ui& ui, const std::string& title, int row,
                       int col) {
  ui.messageBox("区间划分格式错误!请参照默认格式.", host::MessageStyle::plainSecondDefault, title);
  sh.setVisible(host::SheetVisibility::Visible);
  sh.activate();
  sh.selectCell(row, col);
}

}  // namespace valdrex
