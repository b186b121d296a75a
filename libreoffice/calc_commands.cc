#include "libreoffice/calc_commands.h"

#include <algorithm>
#include <chrono>
#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/document/XUndoManager.hpp>
#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <cppuhelper/implbase2.hxx>

#include "libreoffice/calc_charts.h"
#include "libreoffice/calc_workbook.h"
#include "libreoffice/uno_text.h"
#include "valdrex/host/failure.h"
#include "valdrex/job/class_rows.h"
#include "valdrex/job/presentation/result_charts.h"
#include "valdrex/job/session/workbook_sheets.h"

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

// The report sheets' values of `copy`, as they were before the run.
std::unique_ptr<host::MemoryWorkbook> reportValues(const host::MemoryWorkbook& copy) {
  auto values = std::make_unique<host::MemoryWorkbook>();
  for (std::size_t i = 0; i < copy.sheetCount(); ++i) {
    const host::MemorySheet& sheet = copy.sheetAt(i);
    if (!isReportSheet(sheet.name())) continue;
    host::MemorySheet& to = values->addSheet(sheet.name());
    sheet.forEachCell([&](int row, int col, const host::Cell& cell) {
      if (!cell.value.isEmpty()) to.at(row, col).value = cell.value;
    });
  }
  return values;
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

// The charts of the command's result, drawn by Calc over the same cells; a chart Calc refuses
// is told, and the report sheets stay.
void drawResultCharts(const Context& context, const Document& doc, WorkbookJob& job,
                      JobOutcome& outcome) {
  const bool progress = std::find(outcome.reportSheets.begin(), outcome.reportSheets.end(),
                                  ReportSheets::progressSummary) != outcome.reportSheets.end();
  const std::vector<host::Chart> charts =
      resultCharts(job.workbook(), outcome.classes, outcome.subjects, progress);
  try {
    drawCharts(context, doc, charts);
    outcome.chartSheet = kChartSheetName;
    outcome.charts = static_cast<int>(charts.size());
  } catch (const Failure& e) {
    outcome.notes.push_back(std::string("“") + std::string(kChartSheetName) + "”没有画完：" +
                            e.what() + "。报告表已写好。");
  }
}

std::string nameOf(const CalcWorkbook& live) {
  std::string name = live.fileName();
  return name.empty() ? "当前工作簿" : name;
}

}  // namespace

JobOutcome runStatistics(const Context& context, const Document& doc, JobDialogs& dialogs,
                         host::Clock& clock, RunTimings& timings, const AskedRun& asked) {
  const auto start = std::chrono::steady_clock::now();
  CalcWorkbook live(doc);
  WorkbookJob job(live.copyForRun(), nameOf(live));
  RunSettings settings;
  settings.asked = asked.asked;
  settings.compare = asked.earlier;
  settings.charts = false;
  settings.live = &live;
  live.fixReportRowHeights();
  OneUndoAction undo(doc, "成绩统计");
  // The job's copy holds the document's values: they need not be read again.
  undo.add(new EmptyCellsUndo(context, doc, reportValues(job.workbook())));
  JobOutcome outcome = job.run(dialogs, clock, settings);
  // A result the job refuses after writing it (or a fault halfway) does not stay in the document.
  if (outcome.ran && !outcome.problem.empty()) undo.takeBack();
  const auto statistics = std::chrono::steady_clock::now();
  if (outcome.ran && outcome.problem.empty()) drawResultCharts(context, doc, job, outcome);
  timings.pages = live.pageSeconds();
  timings.statistics = std::chrono::duration<double>(statistics - start).count() - timings.pages;
  timings.charts =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - statistics).count();
  return outcome;
}

JobOutcome checkDocument(const Document& doc) {
  CalcWorkbook live(doc);
  WorkbookJob job(live.copyValues(), nameOf(live));
  return job.check();
}

ClassesResult listClassesInDocument(const Document& doc) {
  CalcWorkbook live(doc);
  WorkbookJob job(live.copyValues(), nameOf(live));
  ClassesResult result;
  // A refused listing writes nothing, and leaves an empty undo action, which the office drops.
  OneUndoAction undo(doc, "列出班级");
  const JobOutcome& listed = job.listClasses(std::nullopt, &live);
  if (!listed.problem.empty()) {
    result.lines = listed.warnings;
    result.lines.push_back(problemLine(listed));
    return result;
  }
  result.changed = true;
  result.lines.push_back("找到 " + std::to_string(listed.classNames.size()) + " 个班：" +
                         listedNames(listed.classNames) + "。已写入" + classListPlace() +
                         (listed.classMoves.moved ? "，各班的任课教师随班级移到了新的行" : "") +
                         "。");
  for (const std::string& line :
       classMoveLines(listed.classMoves, "撤销之前的工作簿里（编辑 → 撤销）"))
    result.lines.push_back(line);
  return result;
}

std::string adviceWords(Advice advice) {
  switch (advice) {
    case Advice::none:
      return "";
    case Advice::nameScoreSheet:
      return "请检查成绩表的名字。";
    case Advice::addScoreSheet:
      return "请加入成绩表（格式见“成绩统计 → 帮助”）。";
    case Advice::addPropertySheet:
      return "请加入名为“属性表”的普通工作表（格式见“成绩统计 → 帮助”）。";
    case Advice::reportSheetAdded:
      return "（“成绩统计 → 统计”会在末尾添加）";
    case Advice::listClasses:
      return "。可用“成绩统计 → 列出班级”列出班级";
    case Advice::reorderClasses:
      return "。可用“成绩统计 → 列出班级”按成绩表重排（任课教师随班级移动）";
    case Advice::checkFirst:
      return "（可用“成绩统计 → 检查”查看问题）。";
    case Advice::strictRefused:
      return "请改正上面列出的问题后重试。";
    case Advice::resultIsInput:
    case Advice::replaceExisting:
      return "请换一个文件名。";
    case Advice::closeOrForce:
      return "请先在程序里关闭它再重试。";
    case Advice::fixOptions:
      return "请检查所填的选项。";
  }
  return "";
}

std::string findingLine(const Finding& finding) {
  return finding.place + "：" + finding.text + adviceWords(finding.advice);
}

std::string problemLine(const JobOutcome& outcome) {
  return outcome.problem + adviceWords(outcome.advice);
}

}  // namespace valdrex::calc
