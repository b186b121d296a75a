#include "valdrex/job/workbook_job.h"

#include <algorithm>
#include <filesystem>
#include <memory>

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
#include "valdrex/job/score_sheet_check.h"
#include "valdrex/job/workbook_check.h"
#include "valdrex/job/workbook_files.h"
#include "valdrex/job/workbook_saving.h"
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

// Only a result written beside the input is marked: one in place is the teacher's workbook.
SaveRequest request(const std::string& target, bool inPlace, bool force) {
  return {.target = target, .inPlace = inPlace, .result = !inPlace, .force = force};
}

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
  ranOutcome_ = outcome_;
  return outcome_;
}

bool WorkbookJob::runSteps(JobDialogs& dialogs, host::Clock& clock, const RunSettings& settings) {
  host::MemorySheet* sheet = scoreSheet(settings.sheet);
  if (!sheet) {
    const auto& noCells = wb_->sheetsWithoutCells;
    const bool chart =
        settings.sheet && std::count(noCells.begin(), noCells.end(), *settings.sheet);
    fail(settings.sheet ? JobStatus::badRequest : JobStatus::attention,
         "工作簿 " + name_ + "：" + scoreSheetMissing(*wb_, settings.sheet) +
             (chart            ? "。请把成绩放在一张普通工作表里。"
              : settings.sheet ? "。请用 --sheet 指定成绩表的名字。"
                               : "。请加入成绩表，或用 valdrex template 生成模板。"));
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
  auto g = std::make_unique<GradeBook>();
  outcome_.ran = true;
  const std::vector<SkippedStep> skipped =
      compileReports(*g, *target, target->sheet(sheet->name()), app.ui(), app.clock());
  if (settings.live) settings.live->flush();
  recording.finish();
  outcome_.classes = g->classCount;
  outcome_.students = g->studentCount;
  outcome_.subjects = g->subjectCount;
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

// Each save starts from the run's outcome: an earlier save's failure or backup is not its own.
// False, with the problem, when there is no result to save.
bool WorkbookJob::startSave() {
  outcome_ = ranOutcome_;
  if (ran_) return true;
  if (outcome_.problem.empty()) fail(JobStatus::badRequest, "没有可保存的结果：请先运行统计。");
  return false;
}

// Why `path` may not take the result because of the input itself: it is the input, or the
// workbook was not read from a file and cannot be saved in place.
std::string WorkbookJob::inputProblem(const std::string& path, bool inPlace) const {
  if (inPlace && path_.empty())
    return "这个工作簿不是从文件读出的，不能原地保存：请给出结果文件名。";
  if (!inPlace && !path.empty() && !path_.empty() && sameFile(path, path_))
    return "结果文件 " + path +
           " 就是输入的工作簿。原文件不会被覆盖：请换一个结果文件名；"
           "要改写原工作簿请用 --in-place（会先备份）。";
  return "";
}

bool WorkbookJob::canSave(const std::string& path, bool inPlace, bool force) {
  const std::string target = inPlace ? path_ : path;
  if (std::string problem = inputProblem(path, inPlace); !problem.empty()) {
    fail(JobStatus::badRequest, problem);
    return false;
  }
  const SaveResult refusal = saveRefusal(*wb_, request(target, inPlace, force));
  if (refusal.status == JobStatus::ok) return true;
  fail(refusal.status, refusal.problem);
  return false;
}

const JobOutcome& WorkbookJob::saveAs(const std::string& path, bool force) {
  if (startSave() && canSave(path, false, force)) save(path, false, force);
  return outcome_;
}

const JobOutcome& WorkbookJob::saveInPlace(bool force) {
  if (startSave() && canSave("", true, force)) save(path_, true, force);
  return outcome_;
}

void WorkbookJob::save(const std::string& target, bool inPlace, bool force) {
  const SaveResult saved = saveWorkbook(*wb_, request(target, inPlace, force));
  if (saved.status != JobStatus::ok) {
    fail(saved.status, saved.problem);
    return;
  }
  outcome_.resultPath = saved.resultPath;
  outcome_.backupPath = saved.backupPath;
  if (saved.earlierKept) tellKeptResult(saved.backupPath);
}

// An earlier result that is not exactly what a run wrote was kept; when its score sheet differs
// from the input's, the teacher has probably corrected scores in the result.
void WorkbookJob::tellKeptResult(const std::string& backup) {
  outcome_.status = worse(outcome_.status, JobStatus::attention);
  std::string scores;
  try {
    const std::string& sheetName = outcome_.scoreSheet;
    auto earlier = io::readWorkbookTop(
        backup, [&](const std::string& sheet) { return sheet == sheetName ? host::kMaxRows : 0; });
    const host::MemorySheet* before = earlier->find(sheetName);
    const host::MemorySheet* now = wb_->find(sheetName);
    if (before && now) {
      const host::Range a = before->usedRange(), b = now->usedRange();
      // The score sheet's students and subjects lie well within these.
      const int rows = std::min(std::max(a.row2, b.row2), 5000);
      const int cols = std::min(std::max(a.col2, b.col2), 64);
      int differing = 0;
      std::string first;
      for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
          if (textOf(before->cell(r, c)) != textOf(now->cell(r, c)) && differing++ == 0)
            first = sheetCellName(sheetName, r, c) + " 旧结果里是“" + textOf(before->cell(r, c)) +
                    "”，输入的工作簿里是“" + textOf(now->cell(r, c)) + "”";
      if (differing > 0)
        scores = "旧结果的“" + sheetName + "”与输入的工作簿有 " + std::to_string(differing) +
                 " 格不同（如 " + first +
                 "）：成绩可能改在了旧结果里。请把改正的成绩抄回输入的工作簿后再统计。";
    }
  } catch (const std::exception&) {
    // The note below says enough.
  }
  outcome_.notes.push_back("已有的结果 " + displayName(outcome_.resultPath) +
                           " 在上次统计后改动过（或不是统计写出的），已备份为 " + backup +
                           "，再写入新结果。在结果里做的修改不会带到新结果里：表头和分段请在输入的"
                           "工作簿里修改，以后的统计都会沿用。");
  if (!scores.empty()) outcome_.notes.push_back(scores);
}

}  // namespace valdrex
