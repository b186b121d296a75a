#include "support/forwarding_host.h"

namespace valdrex::host {

std::string_view operationName(Operation op) {
  switch (op) {
    case Operation::SheetName:
      return "name";
    case Operation::CellRead:
      return "cell read";
    case Operation::CellWrite:
      return "cell write";
    case Operation::UsedRange:
      return "used range";
    case Operation::Clear:
      return "clear";
    case Operation::ClearContents:
      return "clear contents";
    case Operation::Delete:
      return "delete";
    case Operation::Insert:
      return "insert";
    case Operation::Copy:
      return "copy";
    case Operation::Paste:
      return "paste";
    case Operation::Sort:
      return "sort";
    case Operation::Merge:
      return "merge";
    case Operation::Alignment:
      return "alignment";
    case Operation::Border:
      return "border";
    case Operation::Activate:
      return "activate";
    case Operation::SelectCell:
      return "select cell";
    case Operation::Visible:
      return "visible";
    case Operation::SheetLookup:
      return "sheet lookup";
    case Operation::FolderPath:
      return "folder path";
    case Operation::Save:
      return "save";
    case Operation::MessageBox:
      return "message box";
    case Operation::InputBox:
      return "input box";
  }
  return "?";
}

std::string ForwardingWorksheet::name() const {
  onOperation(Operation::SheetName);
  return target_.name();
}
Variant ForwardingWorksheet::cell(int row, int col) const {
  onOperation(Operation::CellRead);
  return target_.cell(row, col);
}
void ForwardingWorksheet::setCell(int row, int col, const Variant& value) {
  onOperation(Operation::CellWrite);
  target_.setCell(row, col, value);
}
Range ForwardingWorksheet::usedRange() const {
  onOperation(Operation::UsedRange);
  return target_.usedRange();
}
void ForwardingWorksheet::clear(const Range& block) {
  onOperation(Operation::Clear);
  target_.clear(block);
}
void ForwardingWorksheet::clearContents(const Range& block) {
  onOperation(Operation::ClearContents);
  target_.clearContents(block);
}
void ForwardingWorksheet::deleteCells(const Range& block) {
  onOperation(Operation::Delete);
  target_.deleteCells(block);
}
void ForwardingWorksheet::insertRow(int row) {
  onOperation(Operation::Insert);
  target_.insertRow(row);
}
void ForwardingWorksheet::copy(const Range& block) {
  onOperation(Operation::Copy);
  target_.copy(block);
}
void ForwardingWorksheet::pasteSpecial(int row, int col) {
  onOperation(Operation::Paste);
  target_.pasteSpecial(row, col);
}
void ForwardingWorksheet::sort(const Range& block, std::span<const SortKey> keys, bool header) {
  onOperation(Operation::Sort);
  target_.sort(block, keys, header);
}
void ForwardingWorksheet::merge(const Range& block) {
  onOperation(Operation::Merge);
  target_.merge(block);
}
void ForwardingWorksheet::setHorizontalAlignment(const Range& block, HAlign alignment) {
  onOperation(Operation::Alignment);
  target_.setHorizontalAlignment(block, alignment);
}
void ForwardingWorksheet::setBorder(const Range& block, BorderSide side, LineStyle lineStyle) {
  onOperation(Operation::Border);
  target_.setBorder(block, side, lineStyle);
}
void ForwardingWorksheet::activate() {
  onOperation(Operation::Activate);
  target_.activate();
}
void ForwardingWorksheet::selectCell(int row, int col) {
  onOperation(Operation::SelectCell);
  target_.selectCell(row, col);
}
void ForwardingWorksheet::setVisible(SheetVisibility visibility) {
  onOperation(Operation::Visible);
  target_.setVisible(visibility);
}

// A sheet of a forwarding workbook: its operations go to the workbook's hook.
class ForwardingWorkbook::Sheet final : public ForwardingWorksheet {
 public:
  Sheet(const ForwardingWorkbook& book, Worksheet& target)
      : ForwardingWorksheet(target), book_(book) {}

 protected:
  void onOperation(Operation op) const override { book_.onOperation(op); }

 private:
  const ForwardingWorkbook& book_;
};

ForwardingWorkbook::ForwardingWorkbook(Workbook& target) : target_(target) {}
ForwardingWorkbook::~ForwardingWorkbook() = default;

Worksheet& ForwardingWorkbook::sheet(std::string_view name) {
  onOperation(Operation::SheetLookup);
  Worksheet& found = target_.sheet(name);
  // One wrapper per sheet, so that a sheet looked up twice is the same object both times.
  auto& wrapper = sheets_[&found];
  if (!wrapper) wrapper = std::make_unique<Sheet>(*this, found);
  return *wrapper;
}
std::string ForwardingWorkbook::folderPath() const {
  onOperation(Operation::FolderPath);
  return target_.folderPath();
}
void ForwardingWorkbook::save() {
  onOperation(Operation::Save);
  target_.save();
}

host::Button ForwardingUi::messageBox(const std::string& prompt, MessageStyle style,
                                      const std::string& title) {
  onOperation(Operation::MessageBox);
  return target_.messageBox(prompt, style, title);
}
std::optional<std::string> ForwardingUi::inputBox(const std::string& prompt,
                                                  const std::string& title,
                                                  const std::string& defaultText) {
  onOperation(Operation::InputBox);
  return target_.inputBox(prompt, title, defaultText);
}

}  // namespace valdrex::host
