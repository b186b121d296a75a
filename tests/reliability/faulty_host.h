// A host that counts every operation and fails the k-th one, around a small sample grade.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "support/scripted_ui.h"
#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/host/application.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"
#include "valdrex/job/made/sample_workbook.h"

namespace valdrex::testing {

// Every operation of worksheet.h and ui.h, one kind each.
// clang-format off
enum class Operation {
  SheetName, CellRead, CellWrite, UsedRange, Clear, ClearContents, Delete, Insert, Copy, Paste,
  Sort, Merge, Alignment, Border, NumberFormat, Activate, SelectCell, Visible, SheetLookup, FolderPath, Save,
  MessageBox, InputBox,
};
// clang-format on
inline const char* operationName(Operation op) {
  static const char* const kNames[] = {
      "name",           "cell read",   "cell write", "used range",   "clear",
      "clear contents", "delete",      "insert",     "copy",         "paste",
      "sort",           "merge",       "alignment",  "border",       "number format",
      "activate",       "select cell", "visible",    "sheet lookup", "folder path",
      "save",           "message box", "input box"};
  return kNames[static_cast<int>(op)];
}

// Shared by the workbook, its sheets and the dialogs, so that k counts across all of them.
struct FaultPlan {
  long count = 0;
  long failAt = 0;  // 0: nothing fails
  std::optional<Operation> failed;

  void operator()(Operation op) {
    if (++count != failAt) return;
    failed = op;
    throw Failure(FailureKind::HostError, std::string("injected failure of ") + operationName(op));
  }
};

// Each operation goes through the plan first, then to the host it wraps.
using host::Range;
using O = Operation;
class FaultySheet final : public host::Worksheet {
 public:
  FaultySheet(host::Worksheet& to, FaultPlan& plan) : to_(to), plan_(plan) {}
  std::string name() const override { return plan_(O::SheetName), to_.name(); }
  Variant cell(int r, int c) const override { return plan_(O::CellRead), to_.cell(r, c); }
  void setCell(int r, int c, const Variant& v) override {
    plan_(O::CellWrite), to_.setCell(r, c, v);
  }
  Range usedRange() const override { return plan_(O::UsedRange), to_.usedRange(); }
  void clear(const Range& b) override { plan_(O::Clear), to_.clear(b); }
  void clearContents(const Range& b) override { plan_(O::ClearContents), to_.clearContents(b); }
  void deleteCells(const Range& b) override { plan_(O::Delete), to_.deleteCells(b); }
  void insertRow(int r) override { plan_(O::Insert), to_.insertRow(r); }
  void copy(const Range& b) override { plan_(O::Copy), to_.copy(b); }
  void pasteSpecial(int r, int c) override { plan_(O::Paste), to_.pasteSpecial(r, c); }
  void sort(const Range& b, std::span<const host::SortKey> keys, bool header) override {
    plan_(O::Sort), to_.sort(b, keys, header);
  }
  void merge(const Range& b) override { plan_(O::Merge), to_.merge(b); }
  void setHorizontalAlignment(const Range& b, host::HAlign a) override {
    plan_(O::Alignment), to_.setHorizontalAlignment(b, a);
  }
  void setBorder(const Range& b, host::BorderSide side, host::LineStyle style) override {
    plan_(O::Border), to_.setBorder(b, side, style);
  }
  void setNumberFormat(const Range& b, const std::string& code) override {
    plan_(O::NumberFormat), to_.setNumberFormat(b, code);
  }
  void activate() override { plan_(O::Activate), to_.activate(); }
  void selectCell(int r, int c) override { plan_(O::SelectCell), to_.selectCell(r, c); }
  void setVisible(host::SheetVisibility v) override { plan_(O::Visible), to_.setVisible(v); }

 private:
  host::Worksheet& to_;
  FaultPlan& plan_;
};

class FaultyWorkbook final : public host::Workbook {
 public:
  FaultyWorkbook(host::Workbook& to, FaultPlan& plan) : to_(to), plan_(plan) {}
  // One wrapper per sheet, so that a sheet looked up twice is the same object both times.
  host::Worksheet& sheet(std::string_view name) override {
    plan_(O::SheetLookup);
    host::Worksheet& found = to_.sheet(name);
    auto& wrapper = sheets_[&found];
    if (!wrapper) wrapper = std::make_unique<FaultySheet>(found, plan_);
    return *wrapper;
  }
  std::string folderPath() const override { return plan_(O::FolderPath), to_.folderPath(); }
  void save() override { plan_(O::Save), to_.save(); }

 private:
  host::Workbook& to_;
  FaultPlan& plan_;
  std::map<host::Worksheet*, std::unique_ptr<FaultySheet>> sheets_;
};

class FaultyUi final : public host::Ui {
 public:
  FaultyUi(host::Ui& to, FaultPlan& plan) : to_(to), plan_(plan) {}
  host::Button messageBox(const std::string& prompt, host::MessageStyle style,
                          const std::string& title) override {
    return plan_(O::MessageBox), to_.messageBox(prompt, style, title);
  }
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override {
    return plan_(O::InputBox), to_.inputBox(prompt, title, defaultText);
  }

 private:
  host::Ui& to_;
  FaultPlan& plan_;
};

// A ValdrexCls on a faulty host. The object is kept from one workbook to the next, as a
// workbook's macro keeps it, so a faulty call also must not spoil the calls after it.
struct FaultySession {
  FaultPlan plan;
  host::ScriptedUi ui;
  FaultyUi faultyUi{ui, plan};
  host::FixedClock clock;
  host::RecordingLauncher launcher;
  host::BasicApplication app{faultyUi, clock, launcher};
  ValdrexCls vd{app};
  std::unique_ptr<host::MemoryWorkbook> book;
  std::unique_ptr<FaultyWorkbook> wb;

  // A fresh copy of the small workbook, no dialogs yet, nothing armed.
  void freshBook() {
    wb.reset();
    book = sampleWorkbook({3, 2, 2, 1});  // every report sheet there
    book->find("成绩表")->setCell(7, 5, "缺勤");
    wb = std::make_unique<FaultyWorkbook>(*book, plan);
    app.setWorkbook(wb.get());
    ui = host::ScriptedUi{};
    plan = FaultPlan{};
  }
  // A sheet through the faulty workbook, looked up by the caller: neither counted nor failed.
  host::Worksheet& sheet(const char* name) {
    FaultPlan saved = plan;
    plan.failAt = 0;
    host::Worksheet& found = wb->sheet(name);
    plan = saved;
    return found;
  }
  // From now on the k-th operation fails (counting from 1); 0 only counts.
  void arm(long k) {
    plan.count = 0;
    plan.failAt = k;
  }
  bool showed(const std::string& message) const {
    for (const auto& m : ui.messages())
      if (m == message) return true;
    return false;
  }
};

}  // namespace valdrex::testing
