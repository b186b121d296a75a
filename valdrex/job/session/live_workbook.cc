#include "valdrex/job/session/live_workbook.h"

#include <algorithm>

namespace valdrex {

CopyBeforeRun::CopyBeforeRun(const host::MemoryWorkbook& copy) : active_(copy.activeSheet) {
  for (std::size_t i = 0; i < copy.sheetCount(); ++i) {
    const host::MemorySheet& sheet = copy.sheetAt(i);
    sheets_.push_back({sheet.name(), SheetValues(sheet), sheet.visible()});
  }
}

void CopyBeforeRun::writeChanges(const host::MemoryWorkbook& copy, LiveWorkbook& live) const {
  const SheetValues none;
  for (std::size_t i = 0; i < copy.sheetCount(); ++i) {
    const host::MemorySheet& sheet = copy.sheetAt(i);
    const Sheet* was = nullptr;
    for (const Sheet& s : sheets_)
      if (s.name == sheet.name()) was = &s;
    const SheetBlocks blocks = sheetBlocks(was ? was->values : none, sheet);
    if (!live.hasSheet(sheet.name())) live.addSheet(sheet.name());
    if (!blocks.empty()) live.writeBlocks(sheet.name(), blocks);
    if (was && was->visible != sheet.visible()) live.setVisible(sheet.name(), sheet.visible());
  }
  const host::MemorySheet& active = copy.sheetAt(copy.activeSheet);
  if (active.selection() || copy.activeSheet != active_)
    live.activate(active.name(), active.selection());
  live.flush();
}

void writePrintLayouts(const host::MemoryWorkbook& copy, LiveWorkbook& live,
                       const std::vector<std::string>& sheets,
                       const std::vector<std::string>& added) {
  for (std::size_t i = 0; i < copy.sheetCount(); ++i) {
    const host::MemorySheet& sheet = copy.sheetAt(i);
    const std::string& name = sheet.name();
    if (!sheet.printLayout() || std::find(sheets.begin(), sheets.end(), name) == sheets.end())
      continue;
    if (std::find(added.begin(), added.end(), name) != added.end())
      live.setColumnWidths(name, sheet.columnWidths());
    live.setPrintLayout(name, *sheet.printLayout());
  }
}

}  // namespace valdrex
