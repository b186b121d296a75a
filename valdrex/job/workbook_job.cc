#include "valdrex/job/workbook_job.h"

#include <algorithm>
#include <filesystem>

#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/bands/completion_targets.h"
#include "valdrex/gradebook/limits_message.h"
#include "valdrex/host/application.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/io/io_error.h"
#include "valdrex/io/write_limits.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/job/cell_name.h"
#include "valdrex/job/desktop_launcher.h"
#include "valdrex/job/live_workbook.h"
#include "valdrex/job/output_paths.h"
#include "valdrex/job/print_ready.h"
#include "valdrex/job/result_charts.h"
#include "valdrex/job/result_edits.h"
#include "valdrex/job/score_sheet_check.h"
#include "valdrex/job/workbook_check.h"
#include "valdrex/job/workbook_files.h"
#include "valdrex/job/workbook_sheets.h"
#include "valdrex/run/statistics_run.h"

namespace valdrex {

namespace {

// Student rows the loading leaves out: those without a class, and those below the first row
// whose columns B and C are both empty (where the list ends).
LeftOutRows leftOutRows(const host::MemorySheet& sh) {
  const ScoreSheetShape shape = scoreSheetShape(sh);
  LeftOutRows out;
  out.blankClass = shape.students;
  for (const auto& entry : shape.classes) out.blankClass -= entry.second;
  const int end = 4 + shape.students;  // the row that ended the list
  const int last = sh.usedRange().row2;
  for (int row = end + 1; row <= last; ++row)
    if (!textOf(sh.cell(row, 2)).empty() || !textOf(sh.cell(row, 3)).empty()) ++out.belowBlankRow;
  return out;
}

// The caller's dialogs, with every message kept for the outcome and the cell the run selected
// after a message found by comparing the selections before and after.
class RecordingDialogs final : public host::Ui {
 public:
  RecordingDialogs(JobDialogs& shown, host::MemoryWorkbook& wb, JobOutcome& outcome)
      : shown_(shown), wb_(wb), outcome_(outcome) {}

  host::Button messageBox(const std::string& prompt, host::MessageStyle style,
                          const std::string& title) override {
    finish();
    outcome_.messages.push_back({title, prompt, style, ""});
    if (prompt == kClosingMessage) outcome_.completed = true;
    const host::Button pressed = shown_.messageBox(prompt, style, title);
    before_ = selections();
    return pressed;
  }

  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override {
    finish();
    auto answer = shown_.inputBox(prompt, title, defaultText);
    if (!answer && (prompt == kFirstTargetPrompt || prompt == kSecondTargetPrompt))
      ++outcome_.targetsCancelled;
    return answer;
  }

  // Gives the last message the cell selected since it was shown.
  void finish() {
    if (!before_) return;
    const Selections now = selections();
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (!now[i] || (i < before_->size() && (*before_)[i] == now[i])) continue;
      const std::string place = sheetCellName(wb_.sheetAt(i).name(), now[i]->first, now[i]->second);
      outcome_.messages.back().place = place;
      shown_.showPlace(place);
    }
    before_.reset();
  }

 private:
  using Selections = std::vector<std::optional<std::pair<int, int>>>;
  Selections selections() const {
    Selections now;
    for (std::size_t i = 0; i < wb_.sheetCount(); ++i) now.push_back(wb_.sheetAt(i).selection());
    return now;
  }

  JobDialogs& shown_;
  host::MemoryWorkbook& wb_;
  JobOutcome& outcome_;
  std::optional<Selections> before_;
};

std::size_t sheetIndex(host::MemoryWorkbook& wb, std::string_view name) {
  for (std::size_t i = 0; i < wb.sheetCount(); ++i)
    if (wb.sheetAt(i).name() == name) return i;
  return wb.activeSheet;
}

std::string findingLine(const Finding& f) { return f.place + "：" + f.text; }

}  // namespace

WorkbookJob::WorkbookJob(const std::string& path) : path_(path), name_(displayName(path)) {
  try {
    wb_ = io::readWorkbook(path);
  } catch (const io::FileError& e) {
    throw io::FileError(path, readProblem(e.what()));
  }
}

WorkbookJob::WorkbookJob(std::unique_ptr<host::MemoryWorkbook> wb, std::string name)
    : wb_(std::move(wb)), name_(std::move(name)) {}

WorkbookJob::~WorkbookJob() = default;

host::MemorySheet* WorkbookJob::scoreSheet(const std::optional<std::string>& sheet) {
  return findScoreSheet(*wb_, sheet);
}

CheckReport WorkbookJob::check(const std::optional<std::string>& sheet) {
  checked_ = checkWorkbook(*wb_, sheet);
  checkedSheet_ = sheet;
  return *checked_;
}

int WorkbookJob::largestSecondTarget(const std::optional<std::string>& sheet) {
  host::MemorySheet* found = scoreSheet(sheet);
  return valdrex::largestSecondTarget(
      found ? static_cast<int>(scoreSheetShape(*found).classes.size()) : 0);
}

void WorkbookJob::fail(JobStatus status, std::string problem) {
  outcome_.status = worse(outcome_.status, status);
  if (outcome_.problem.empty()) outcome_.problem = std::move(problem);
}

const JobOutcome& WorkbookJob::run(JobDialogs& dialogs, host::Clock& clock,
                                   const RunSettings& settings) {
  outcome_ = JobOutcome{};
  try {
    const std::size_t active = wb_->activeSheet;
    const bool reportActive =
        active < wb_->sheetCount() && isReportSheet(wb_->sheetAt(active).name());
    ran_ = runSteps(dialogs, clock, settings);
    // The result opens on the first report, unless the teacher had saved it on another one.
    if (ran_) wb_->activeSheet = reportActive ? active : sheetIndex(*wb_, ReportSheets::output);
  } catch (const std::exception& e) {
    fail(JobStatus::internal,
         std::string("内部错误：") + e.what() + "。请把工作簿和这条消息交给维护者。");
  }
  return outcome_;
}

bool WorkbookJob::runSteps(JobDialogs& dialogs, host::Clock& clock, const RunSettings& settings) {
  host::MemorySheet* sheet = scoreSheet(settings.sheet);
  if (!sheet) {
    if (settings.sheet)
      fail(JobStatus::badRequest, "工作簿 " + name_ + " 里没有名为“" + *settings.sheet +
                                      "”的工作表（现有：" + sheetList(*wb_) +
                                      "）。请用 --sheet 指定成绩表的名字。");
    else
      fail(JobStatus::attention,
           "工作簿 " + name_ + " 里找不到成绩表：除“属性表”和报告表外没有别的工作表（现有：" +
               sheetList(*wb_) + "）。请加入成绩表，或用 valdrex template 生成模板。");
    return false;
  }
  outcome_.scoreSheet = sheet->name();
  if (std::string taken = reportNameWithoutCells(*wb_); !taken.empty()) {
    fail(JobStatus::attention,
         "工作簿 " + name_ + " 里的“" + taken +
             "”是图表工作表（或对话框工作表），不能写入报告。它会原样保留；请把它改名后重试，"
             "报告表会重新添加。");
    return false;
  }

  // What the check finds: a stop in the loading would make every count after it too small.
  if (!checked_ || checkedSheet_ != settings.sheet) check(settings.sheet);
  outcome_.findings = checked_->findings;
  const Finding* stop = nullptr;
  int stops = 0;
  for (const Finding& f : outcome_.findings) {
    if (f.wrongResult && !f.stopsLoading) outcome_.warnings.push_back(findingLine(f));
    if (f.stopsLoading && stops++ == 0) stop = &f;
  }
  if (stop) {
    fail(JobStatus::attention, "没有写入结果：统计会在载入时停下，结果不会正确（" +
                                   findingLine(*stop) +
                                   (stops > 1 ? "，共 " + std::to_string(stops) + " 处" : "") +
                                   "）。请改正上面标为“错误”的地方后重试。");
    return false;
  }
  if (settings.targets) {
    const int classes = static_cast<int>(scoreSheetShape(*sheet).classes.size());
    const int largest = valdrex::largestSecondTarget(classes);
    if (settings.targets->second > largest) {
      const std::string most = std::to_string(largest);
      fail(JobStatus::badRequest,
           "二档指标数 " + std::to_string(settings.targets->second) + " 太大：工作簿 " + name_ +
               " 有 " + std::to_string(classes) + " 个班，班级数×二档指标数不能超过 " +
               std::to_string(kMaxInteger) + "，二档指标数最大为 " + most +
               "，否则完成率表无法写出。请把二档指标数改为 " + most + " 或更小后重试。");
      return false;
    }
  }
  auto refuseStrictly = [&] {
    fail(JobStatus::attention, "没有写入结果：有 " + std::to_string(outcome_.warnings.size()) +
                                   " 条警告，--strict 不允许带着警告写入。请改正上面列出的问题后"
                                   "重试，或去掉 --strict。");
  };
  if (settings.strict && !outcome_.warnings.empty()) {
    refuseStrictly();
    return false;
  }

  outcome_.leftOut = leftOutRows(*sheet);
  outcome_.sheetsAdded = addMissingReportSheets(*wb_);
  RecordingDialogs recording(dialogs, *wb_, outcome_);
  DesktopLauncher desktop;
  std::optional<MirroredWorkbook> mirrored;
  host::Workbook* target = wb_.get();
  if (settings.live) {
    for (const std::string& added : outcome_.sheetsAdded) settings.live->addSheet(added);
    target = &mirrored.emplace(*wb_, *settings.live);
  }
  host::BasicApplication app(recording, clock, settings.launcher ? *settings.launcher : desktop,
                             target);
  ValdrexCls vd(app);
  outcome_.ran = true;
  vd.输出(&app, *target, target->sheet(sheet->name()));
  const std::vector<SkippedStep>& skipped = vd.skippedSteps();
  if (settings.live) settings.live->flush();
  recording.finish();
  outcome_.classes = vd.班级数();
  outcome_.students = vd.总人数();
  outcome_.subjects = vd.km();
  outcome_.reportSheets = filledReportSheets(*wb_);
  for (const std::string& added : outcome_.sheetsAdded) makePrintReady(*wb_->find(added));

  // A limits message the check foresaw as harmless is told by its finding; any other one means
  // the loading stopped short.
  long expectedLimits = std::count_if(outcome_.findings.begin(), outcome_.findings.end(),
                                      [](const Finding& f) { return f.showsLimits; });
  bool sawLimits = false;
  for (const ShownMessage& m : outcome_.messages) {
    if (m.text == kClosingMessage) continue;
    if (m.text == kLimitsMessage && expectedLimits-- > 0) continue;
    outcome_.warnings.push_back("【" + m.title + "】" + m.text);
    if (m.text == kLimitsMessage) sawLimits = true;
  }
  if (outcome_.targetsCancelled > 0)
    outcome_.warnings.push_back("完成率表没有更新：指标数的询问已取消");
  if (!outcome_.completed) outcome_.warnings.push_back("统计没有正常结束（没有看到完成提示）");
  for (const SkippedStep& s : skipped)
    outcome_.warnings.push_back(
        "统计中有一步没有完成：" + s.step + "（" + s.failure +
        (s.statements > 1 ? "，共跳过 " + std::to_string(s.statements) + " 处" : "") +
        "），相关的报告表可能不完整、是空的或仍是上次的内容");
  if (sawLimits) {
    fail(JobStatus::attention,
         "没有写入结果：载入时出现了上面的限制提示，统计会少算学生、班级或科目。"
         "请按提示改正工作簿后重试。");
    return false;
  }
  if (settings.strict && !outcome_.warnings.empty()) {
    refuseStrictly();
    return false;
  }
  if (!outcome_.warnings.empty()) outcome_.status = worse(outcome_.status, JobStatus::attention);
  if (settings.charts && !settings.live) writeCharts();
  return true;
}

void WorkbookJob::writeCharts() {
  const auto& others = wb_->sheetsWithoutCells;
  if (std::find(others.begin(), others.end(), kChartSheetName) != others.end()) {
    outcome_.notes.push_back(
        std::string("“") + std::string(kChartSheetName) +
        "”是图表工作表（或对话框工作表），统计图表没有写入：请把它改名后重试。");
    return;
  }
  outcome_.charts = writeChartSheet(*wb_, outcome_.classes, outcome_.subjects);
  outcome_.chartSheet = kChartSheetName;
}

bool WorkbookJob::refuseUnlessSaveable() {
  if (ran_) return true;
  if (outcome_.problem.empty()) fail(JobStatus::badRequest, "没有可保存的结果：请先运行统计。");
  return false;
}

const JobOutcome& WorkbookJob::saveAs(const std::string& path) {
  if (!refuseUnlessSaveable()) return outcome_;
  std::string problem = outputProblem(path);
  if (problem.empty() && !path_.empty() && sameFile(path, path_))
    problem = "结果文件 " + path +
              " 就是输入的工作簿。原文件不会被覆盖：请换一个结果文件名；"
              "要改写原工作簿请用 --in-place（会先备份）。";
  if (!problem.empty()) {
    fail(JobStatus::badRequest, problem);
    return outcome_;
  }
  save(path, false);
  return outcome_;
}

const JobOutcome& WorkbookJob::saveInPlace() {
  if (!refuseUnlessSaveable()) return outcome_;
  if (path_.empty()) {
    fail(JobStatus::badRequest, "这个工作簿不是从文件读出的，不能原地保存：请给出结果文件名。");
    return outcome_;
  }
  save(path_, true);
  return outcome_;
}

void WorkbookJob::save(const std::string& target, bool inPlace) {
  try {
    io::refuseUnwritable(*wb_, target);  // before the backup: nothing is written then
    if (inPlace)
      outcome_.backupPath = copyAsBackup(path_);
    else
      keepEditedResult(target);
    io::writeWorkbook(*wb_, target);
    outcome_.resultPath = target;
  } catch (const io::FileError& e) {
    fail(JobStatus::unwritable, writeProblem(e.what()));
  } catch (const std::exception& e) {
    fail(JobStatus::internal,
         std::string("内部错误：") + e.what() + "。请把工作簿和这条消息交给维护者。");
  }
}

// A result the teacher changed after it was written is kept as a backup, not replaced.
void WorkbookJob::keepEditedResult(const std::string& target) {
  std::error_code ec;
  if (!std::filesystem::exists(target, ec)) return;
  std::string what;
  try {
    // Band sheets whole, every other sheet only its title row: the ranking sheets are large.
    auto earlier = io::readWorkbookTop(target, [](const std::string& sheet) {
      if (sheet == kScoreBandLayout.name || sheet == kRankBandLayout.name) return host::kMaxRows;
      return isReportSheet(sheet) ? 1 : 0;
    });
    const auto edits = editedResultCells(*earlier, *wb_, outcome_.classes, outcome_.subjects);
    if (edits.empty()) return;
    what = "改过的格有 " + std::to_string(edits.size()) + " 处，如 " + edits[0].place + "：“" +
           edits[0].before + "”，这次写入“" + edits[0].after + "”";
  } catch (const io::FileError&) {
    what = "无法读出它的内容，不能确认有没有改过";
  }
  outcome_.backupPath = copyAsBackup(target);
  outcome_.status = worse(outcome_.status, JobStatus::attention);
  outcome_.notes.push_back(
      "已有的结果 " + displayName(target) + " 与这次写入的表头或标题不同（" + what +
      "），可能是在结果里改过。旧结果已备份为 " + outcome_.backupPath +
      "。分段表头请在输入的工作簿的“分数段统计”“名次段统计”里修改，以后的统计都会沿用。");
}

}  // namespace valdrex
