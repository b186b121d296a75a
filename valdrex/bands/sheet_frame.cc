#include "valdrex/bands/sheet_frame.h"

#include "valdrex/host/date.h"

namespace valdrex {

void countWholeClassesForTotal(GradeBook& g) {
  for (int b = 1; b <= g.classCount; ++b) g.examineeCounts(b, g.subjectCount + 1) = g.classSizes(b);
}

void writeDatedTitleRow(host::Worksheet& sh, int c, host::Clock& clock) {
  sh.merge(host::between(1, 1, 1, c - 3));
  sh.setHorizontalAlignment(host::wholeRow(1), host::HAlign::Center);
  sh.merge(host::between(1, c - 2, 1, c - 1));
  sh.setCell(1, c - 2, Variant::date(dateSerial(clock.today())));
}

void showBadBandHeader(host::Worksheet& sh, host::Ui& ui, const std::string& title, int row,
                       int col) {
  ui.messageBox("区间划分格式错误!请参照默认格式.", host::MessageStyle::plainSecondDefault, title);
  sh.setVisible(host::SheetVisibility::Visible);
  sh.activate();
  sh.selectCell(row, col);
}

}  // namespace valdrex
