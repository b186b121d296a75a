#include "libreoffice/calc_commands.h"

#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/document/XUndoManager.hpp>
#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <cppuhelper/implbase2.hxx>
#include <map>

#include "libreoffice/calc_workbook.h"
#include "libreoffice/uno_text.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/job/class_rows.h"
#include "valdrex/job/workbook_sheets.h"

namespace valdrex::calc {

using namespace css;
using uno::Reference;
using uno::UNO_QUERY_THROW;

namespace {

// Everything done between its making and its end is one undo action; the views are locked
// meanwhile so that the document is drawn once, at the end.
class OneUndoAction {
 public:
  OneUndoAction(const Document& doc, const char* title)
      : undo_(Reference<document::XUndoManagerSupplier>(doc, UNO_QUERY_THROW)->getUndoManager()),
        model_(doc, UNO_QUERY_THROW) {
    undo_->enterUndoContext(ustr(title));
    model_->lockControllers();
  }
  ~OneUndoAction() { end(); }
  OneUndoAction(const OneUndoAction&) = delete;
  OneUndoAction& operator=(const OneUndoAction&) = delete;

  void add(document::XUndoAction* action) { undo_->addUndoAction(action); }

  // Takes back what was done: for a run whose result must not stay.
  void takeBack() {
    end();
    undo_->undo();
  }

 private:
  void end() {
    if (ended_) return;
    ended_ = true;
    model_->unlockControllers();
    undo_->leaveUndoContext();
  }
  Reference<document::XUndoManager> undo_;
  Reference<frame::XModel> model_;
  bool ended_ = false;
};

// Empties the cells that were empty in `before` and hold a value now. Calc's Undo of a block of
// written cells gives back the cells that held something, but leaves the new values where cells
// were empty: this completes it on the report sheets, the only ones a run writes. Cells that held
// something are left to Calc, which gives back formulas too.
void emptyAgain(const Document& doc, const host::MemoryWorkbook& before) {
  CalcWorkbook now(doc);
  for (std::size_t i = 0; i < before.sheetCount(); ++i) {
    const host::MemorySheet& was = before.sheetAt(i);
    if (!isReportSheet(was.name()) || !now.hasSheet(was.name())) continue;
    CalcSheet& sheet = now.calcSheet(was.name());
    const host::Range used = sheet.usedRange();
    for (int row = used.row1; row <= used.row2; ++row)
      for (int col = used.col1; col <= used.col2; ++col)
        if (!sheet.cell(row, col).isEmpty() && was.cell(row, col).isEmpty())
          sheet.putValue(row, col, Variant());
  }
  now.flush();
}

// The first action of a run, so the last one undone. The office's Undo must not change the
// document while it runs (a change records an action that ends the undo in progress), so the
// cells are emptied right after it, with nothing recorded.
class EmptyCellsUndo final : public cppu::WeakImplHelper2<document::XUndoAction, awt::XCallback> {
 public:
  EmptyCellsUndo(Context context, Document doc, std::unique_ptr<host::MemoryWorkbook> before)
      : context_(std::move(context)), doc_(std::move(doc)), before_(std::move(before)) {}
  OUString SAL_CALL getTitle() override { return ustr("成绩统计"); }
  void SAL_CALL undo() override {
    pending_ = true;
    awt::AsyncCallback::create(context_)->addCallback(this, uno::Any());
  }
  // The run's own actions, redone after this one, write the result again.
  void SAL_CALL redo() override { pending_ = false; }
  void SAL_CALL notify(const uno::Any&) override {
    if (!pending_) return;
    pending_ = false;
    try {
      Reference<document::XUndoManager> undo =
          Reference<document::XUndoManagerSupplier>(doc_, UNO_QUERY_THROW)->getUndoManager();
      undo->lock();
      try {
        emptyAgain(doc_, *before_);
      } catch (...) {
        undo->unlock();
        throw;
      }
      undo->unlock();
    } catch (const std::exception&) {
      // Nothing may throw into the office; what was not emptied stays as the run left it.
    } catch (const uno::Exception&) {
    }
  }

 private:
  Context context_;
  Document doc_;
  std::unique_ptr<host::MemoryWorkbook> before_;
  bool pending_ = false;
};

std::string nameOf(const CalcWorkbook& live) {
  std::string name = live.fileName();
  return name.empty() ? "当前工作簿" : name;
}

std::map<std::pair<int, int>, Variant> valuesOf(const host::MemorySheet& sheet) {
  std::map<std::pair<int, int>, Variant> values;
  sheet.forEachCell([&](int row, int col, const host::Cell& cell) {
    if (!cell.value.isEmpty()) values[{row, col}] = cell.value;
  });
  return values;
}

}  // namespace

JobOutcome runStatistics(const Context& context, const Document& doc, JobDialogs& dialogs,
                         host::Clock& clock) {
  CalcWorkbook live(doc);
  WorkbookJob job(live.copyValues(), nameOf(live));
  RunSettings settings;
  settings.charts = false;
  settings.live = &live;
  live.fixReportRowHeights();
  OneUndoAction undo(doc, "成绩统计");
  undo.add(new EmptyCellsUndo(context, doc, live.copyValues()));
  JobOutcome outcome = job.run(dialogs, clock, settings);
  // A result the job refuses after writing it (or a fault halfway) does not stay in the document.
  if (outcome.ran && !outcome.problem.empty()) undo.takeBack();
  return outcome;
}

CheckReport checkDocument(const Document& doc) {
  CalcWorkbook live(doc);
  WorkbookJob job(live.copyValues(), nameOf(live));
  return job.check();
}

ClassesResult listClassesInDocument(const Document& doc) {
  CalcWorkbook live(doc);
  std::unique_ptr<host::MemoryWorkbook> wb = live.copyValues();
  ClassesResult result;
  host::MemorySheet* score = findScoreSheet(*wb, std::nullopt);
  host::MemorySheet* property = wb->find(PropertySheetLayout::name);
  if (!score || !property) {
    result.lines.push_back(!score ? scoreSheetMissing(*wb, std::nullopt) + "。请先加入成绩表。"
                                  : propertySheetMissing(*wb) +
                                        "，无法列出班级。请加入名为“属性表”的工作表后重试。");
    return result;
  }
  const auto before = valuesOf(*property);
  const ClassListing listing = listClasses(*wb, *score, *property);
  if (!listing.messages.empty()) {
    result.lines = listing.messages;
    result.lines.push_back("班级没有列出，工作簿未改动。请先修正成绩表（可用“检查”查看问题）。");
    return result;
  }

  // Only the cells whose values changed are written: formulas and formats elsewhere stay.
  const auto after = valuesOf(*property);
  {
    OneUndoAction undo(doc, "列出班级");
    CalcSheet& sheet = live.calcSheet(property->name());
    for (const auto& [at, value] : before)
      if (!after.contains(at)) sheet.putValue(at.first, at.second, Variant());
    for (const auto& [at, value] : after)
      if (auto was = before.find(at); was == before.end() || !(was->second == value))
        sheet.putValue(at.first, at.second, value);
    live.flush();
  }
  result.changed = true;
  result.lines.push_back("找到 " + std::to_string(listing.classes.size()) + " 个班：" +
                         listedNames(listing.classes) + "。已写入" + classListPlace() +
                         (listing.moves.moved ? "，各班的任课教师随班级移到了新的行" : "") + "。");
  for (const std::string& line : classMoveLines(listing.moves, "撤销之前的工作簿里（编辑 → 撤销）"))
    result.lines.push_back(line);
  return result;
}

}  // namespace valdrex::calc
