// Hosts that forward every operation to another host; override the one hook to observe or fail
// an operation (a failure thrown from the hook is that operation's failure).
#pragma once

#include <map>
#include <memory>
#include <string_view>

#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex::host {

// Every operation of worksheet.h and ui.h, one kind each.
enum class Operation {
  SheetName,
  CellRead,
  CellWrite,
  UsedRange,
  Clear,
  ClearContents,
  Delete,
  Insert,
  Copy,
  Paste,
  Sort,
  Merge,
  Alignment,
  Border,
  Activate,
  SelectCell,
  Visible,
  SheetLookup,
  FolderPath,
  Save,
  MessageBox,
  InputBox,
};
std::string_view operationName(Operation op);

// Forwards all calls to another worksheet; override onOperation to observe or fail them.
class ForwardingWorksheet : public Worksheet {
 public:
  explicit ForwardingWorksheet(Worksheet& target) : target_(target) {}
  Worksheet& target() const { return target_; }

  std::string name() const override;
  Variant cell(int row, int col) const override;
  void setCell(int row, int col, const Variant& value) override;
  Range usedRange() const override;
  void clear(const Range& block) override;
  void clearContents(const Range& block) override;
  void deleteCells(const Range& block) override;
  void insertRow(int row) override;
  void copy(const Range& block) override;
  void pasteSpecial(int row, int col) override;
  void sort(const Range& block, std::span<const SortKey> keys, bool header) override;
  void merge(const Range& block) override;
  void setHorizontalAlignment(const Range& block, HAlign alignment) override;
  void setBorder(const Range& block, BorderSide side, LineStyle lineStyle) override;
  void activate() override;
  void selectCell(int row, int col) override;
  void setVisible(SheetVisibility visibility) override;

 protected:
  // Called before each operation is passed on. Const because reads are: an observer keeps its
  // counts outside the wrapper.
  virtual void onOperation(Operation) const {}

 private:
  Worksheet& target_;
};

// Forwards all calls to another workbook. Its sheets come back wrapped, one wrapper per sheet
// for the life of the workbook wrapper, and their operations reach this workbook's onOperation.
class ForwardingWorkbook : public Workbook {
 public:
  explicit ForwardingWorkbook(Workbook& target);
  ~ForwardingWorkbook() override;
  ForwardingWorkbook(const ForwardingWorkbook&) = delete;
  ForwardingWorkbook& operator=(const ForwardingWorkbook&) = delete;
  Workbook& target() const { return target_; }

  Worksheet& sheet(std::string_view name) override;
  std::string folderPath() const override;
  void save() override;

 protected:
  // Called before each operation of the workbook or of one of its sheets is passed on.
  virtual void onOperation(Operation) const {}

 private:
  class Sheet;
  Workbook& target_;
  std::map<Worksheet*, std::unique_ptr<Sheet>> sheets_;
};

// Forwards all dialogs to another Ui; override onOperation to observe or fail them.
class ForwardingUi : public Ui {
 public:
  explicit ForwardingUi(Ui& target) : target_(target) {}
  Ui& target() const { return target_; }

  Button messageBox(const std::string& prompt, MessageStyle style,
                    const std::string& title) override;
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;

 protected:
  virtual void onOperation(Operation) const {}

 private:
  Ui& target_;
};

}  // namespace valdrex::host
