#include "valdrex/job/workbook_job.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>

#include "valdrex/bands/completion_targets.h"
#include "valdrex/bands/near_lines.h"
#include "valdrex/bands/progress.h"
#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/limits_message.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/subject_ranking.h"
#include "valdrex/host/application.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"
#include "valdrex/io/io_error.h"
#include "valdrex/io/write_limits.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/job/checks/score_sheet_check.h"
#include "valdrex/job/checks/workbook_check.h"
#include "valdrex/job/class_rows.h"
#include "valdrex/job/files/output_paths.h"
#include "valdrex/job/files/workbook_files.h"
#include "valdrex/job/files/workbook_saving.h"
#include "valdrex/job/presentation/print_ready.h"
#include "valdrex/job/presentation/result_charts.h"
#include "valdrex/job/presentation/shown_numbers.h"
#include "valdrex/job/presentation/slip_pages.h"
#include "valdrex/job/session/cell_name.h"
#include "valdrex/job/session/desktop_launcher.h"
#include "valdrex/job/session/live_workbook.h"
#include "valdrex/job/session/workbook_sheets.h"
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

// The line without its full stop, to be quoted inside a sentence.
std::string quotedLine(const Finding& f) {
  std::string line = findingLine(f);
  if (line.ends_with("。")) line.resize(line.size() - std::string_view("。").size());
  return line;
}

// Cell values of a sheet, to find the cells a workflow changed.
std::map<std::pair<int, int>, Variant> valuesOf(const host::MemorySheet& sheet) {
  std::map<std::pair<int, int>, Variant> values;
  sheet.forEachCell([&](int row, int col, const host::Cell& cell) {
    if (!cell.value.isEmpty()) values[{row, col}] = cell.value;
  });
  return values;
}

}  // namespace

// Only a result written beside the input is marked: one in place is the teacher's workbook. A
// new workbook never replaces a file unasked.
SaveRequest WorkbookJob::request(const std::string& target, bool inPlace, bool force) const {
  return {.target = target,
          .inPlace = inPlace,
          .newWorkbook = change_ == Change::made,
          .result = change_ == Change::result && !inPlace,
          .force = force};
}

namespace {}  // namespace

WorkbookJob::WorkbookJob(const std::string& path) : path_(path), name_(displayName(path)) {
  try {
    wb_ = io::readWorkbook(path);
  } catch (const io::FileError& e) {
    throw io::FileError(path, readProblem(e.what()));
  }
}

WorkbookJob::WorkbookJob(std::unique_ptr<host::MemoryWorkbook> wb, std::string name)
    : wb_(std::move(wb)), name_(std::move(name)) {}

std::unique_ptr<WorkbookJob> WorkbookJob::open(const std::string& path, JobOutcome& failure) {
  try {
    return std::make_unique<WorkbookJob>(path);
  } catch (const io::FileError& e) {
    failure = JobOutcome{};
    failure.status = JobStatus::unreadable;
    failure.problem = e.what();
  }
  return nullptr;
}

namespace {

template <class Make>
std::unique_ptr<WorkbookJob> madeJob(Make make, std::string name, JobOutcome& failure) {
  try {
    return std::make_unique<WorkbookJob>(make(), std::move(name));
  } catch (const std::invalid_argument& e) {
    failure = JobOutcome{};
    failure.status = JobStatus::badRequest;
    failure.problem = std::string("参数有误：") + e.what() + "。";
    failure.advice = Advice::fixOptions;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<WorkbookJob> WorkbookJob::sample(const SampleOptions& options,
                                                 JobOutcome& failure) {
  auto job = madeJob([&] { return sampleWorkbook(options); }, "示例工作簿", failure);
  if (job) job->change_ = Change::made;
  return job;
}

std::unique_ptr<WorkbookJob> WorkbookJob::blankTemplate(const TemplateOptions& options,
                                                        JobOutcome& failure) {
  auto job = madeJob([&] { return templateWorkbook(options); }, "模板", failure);
  if (job) job->change_ = Change::made;
  return job;
}

WorkbookJob::~WorkbookJob() = default;

host::MemorySheet* WorkbookJob::scoreSheet(const std::optional<std::string>& sheet) {
  return findScoreSheet(*wb_, sheet);
}

// The check of `sheet`: the run reuses the check a front end showed just before.
const CheckReport& WorkbookJob::checkReport(const std::optional<std::string>& sheet) {
  if (!checked_ || checkedSheet_ != sheet) {
    checked_ = checkWorkbook(*wb_, sheet);
    checkedSheet_ = sheet;
  }
  return *checked_;
}

namespace {

// A grade book loaded from the workbook's score sheet and "属性表" by the rules of a run, with no
// dialog; nullptr, and `why` says why, when it cannot be.
std::unique_ptr<GradeBook> loadGrade(host::MemoryWorkbook& wb,
                                     const std::optional<std::string>& sheetName,
                                     std::string& why) {
  host::MemorySheet* sheet = findScoreSheet(wb, sheetName);
  host::MemorySheet* properties = wb.find(PropertySheetLayout::name);
  if (!sheet || !properties) {
    why = "：" + (sheet ? propertySheetMissing(wb) : scoreSheetMissing(wb, sheetName)) + "。";
    return nullptr;
  }
  auto g = std::make_unique<GradeBook>();
  SilentDefaults silent;
  try {
    findLayout(*g, *sheet, silent);
    loadClasses(*g, *sheet, silent);
    loadScores(*g, *sheet, properties, silent);
    sumTotals(*g);
    rankSubjects(*g);
    countClassResults(*g, *properties);
  } catch (const Failure& e) {
    why = " 载入时出错：" + std::string(e.what()) + "。";
    return nullptr;
  }
  if (!silent.messages().empty()) {
    why = " 载入时停下了（" + silent.messages().front().text + "）。请先单独检查它。";
    return nullptr;
  }
  return g;
}

// The earlier exam of "进退步", loaded by the rules of this run; nullptr, and `why` says why.
std::unique_ptr<GradeBook> loadEarlierExam(const std::string& path, std::string& why) {
  std::unique_ptr<host::MemoryWorkbook> wb;
  try {
    wb = io::readWorkbook(path);
  } catch (const io::FileError& e) {
    why = "对比的工作簿不能用。" + readProblem(e.what());
    return nullptr;
  }
  auto g = loadGrade(*wb, std::nullopt, why);
  if (!g) why = "对比的工作簿 " + displayName(path) + why;
  return g;
}

}  // namespace

const JobOutcome& WorkbookJob::check(const std::optional<std::string>& sheet) {
  outcome_ = JobOutcome{};
  checked_.reset();
  if (host::MemorySheet* found = scoreSheet(sheet)) outcome_.scoreSheet = found->name();
  outcome_.layout = checkReport(sheet).layout;
  outcome_.findings = checkReport(sheet).findings;
  if (!outcome_.findings.empty()) outcome_.status = JobStatus::attention;
  return outcome_;
}

const JobOutcome& WorkbookJob::check(const RunSettings& settings) {
  check(settings.sheet);
  if (!settings.asked.nearLines && !settings.compare) return outcome_;
  auto stops = [](const Finding& f) { return f.stopsLoading; };
  if (std::any_of(outcome_.findings.begin(), outcome_.findings.end(), stops)) return outcome_;
  AskedReports asked = settings.asked;
  std::unique_ptr<GradeBook> earlier;
  if (settings.compare) {
    std::string why;
    earlier = loadEarlierExam(*settings.compare, why);
    if (!earlier) {
      Finding refused;
      refused.place = displayName(*settings.compare);
      refused.text = why + "统计会因此不写入结果";
      refused.stopsLoading = true;
      outcome_.findings.push_back(std::move(refused));
    }
    asked.earlier = earlier.get();
  }
  std::string why;
  if (auto g = loadGrade(*wb_, settings.sheet, why))
    for (Finding& lack : askedSheetsLack(*g, asked, outcome_.scoreSheet))
      outcome_.findings.push_back(std::move(lack));
  if (!outcome_.findings.empty()) outcome_.status = JobStatus::attention;
  return outcome_;
}

int WorkbookJob::largestSecondTarget(const std::optional<std::string>& sheet) {
  host::MemorySheet* found = scoreSheet(sheet);
  return valdrex::largestSecondTarget(
      found ? static_cast<int>(scoreSheetShape(*found).classes.size()) : 0);
}

void WorkbookJob::fail(JobStatus status, std::string problem, Advice advice) {
  outcome_.status = worse(outcome_.status, status);
  if (!outcome_.problem.empty()) return;
  outcome_.problem = std::move(problem);
  outcome_.advice = advice;
}

const JobOutcome& WorkbookJob::run(JobDialogs& dialogs, host::Clock& clock,
                                   const RunSettings& settings) {
  outcome_ = JobOutcome{};
  try {
    const std::size_t active = wb_->activeSheet;
    const bool reportActive =
        active < wb_->sheetCount() && isReportSheet(wb_->sheetAt(active).name());
    change_ = runSteps(dialogs, clock, settings) ? Change::result : Change::none;
    // The result opens on the first report, unless the teacher had saved it on another one.
    if (change_ == Change::result)
      wb_->activeSheet = reportActive ? active : sheetIndex(*wb_, ReportSheets::output);
  } catch (const std::exception& e) {
    change_ = Change::none;
    fail(JobStatus::internal,
         std::string("内部错误：") + e.what() + "。请把工作簿和这条消息交给维护者。");
  }
  changedOutcome_ = outcome_;
  return outcome_;
}

bool WorkbookJob::runSteps(JobDialogs& dialogs, host::Clock& clock, const RunSettings& settings) {
  host::MemorySheet* sheet = scoreSheet(settings.sheet);
  if (!sheet) {
    failWithoutScoreSheet(settings.sheet);
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
  outcome_.findings = checkReport(settings.sheet).findings;
  const Finding* stop = nullptr;
  int stops = 0;
  for (const Finding& f : outcome_.findings) {
    if (f.wrongResult && !f.stopsLoading) outcome_.warnings.push_back(findingLine(f));
    if (f.stopsLoading && stops++ == 0) stop = &f;
  }
  if (stop) {
    fail(JobStatus::attention, "没有写入结果：统计会在载入时停下或读错数据，结果不会正确（" +
                                   quotedLine(*stop) +
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
    fail(JobStatus::attention,
         "没有写入结果：有 " + std::to_string(outcome_.warnings.size()) +
             " 条警告，而这次统计要求没有警告才写入。",
         Advice::strictRefused);
  };
  if (settings.strict && !outcome_.warnings.empty()) {
    refuseStrictly();
    return false;
  }

  outcome_.leftOut = leftOutRows(*sheet);
  std::unique_ptr<GradeBook> earlier;
  if (settings.compare) {
    std::string why;
    if (!(earlier = loadEarlierExam(*settings.compare, why))) {
      fail(JobStatus::badRequest, "没有写入结果：" + why);
      return false;
    }
  }

  outcome_.sheetsAdded = addMissingReportSheets(*wb_);
  const AskedReports asked = prepareAskedSheets(settings, earlier.get());
  RecordingDialogs recording(dialogs, *wb_, outcome_);
  DesktopLauncher desktop;
  std::optional<CopyBeforeRun> live;
  if (settings.live) live.emplace(*wb_);
  host::BasicApplication app(recording, clock, settings.launcher ? *settings.launcher : desktop,
                             wb_.get());
  auto g = std::make_unique<GradeBook>();
  outcome_.ran = true;
  const std::vector<SkippedStep> skipped =
      compileReports(*g, *wb_, *sheet, app.ui(), app.clock(), {}, asked);
  showTwoDecimals(*wb_, *g);
  if (live) live->writeChanges(*wb_, *settings.live);
  recording.finish();
  outcome_.classes = g->classCount;
  outcome_.students = g->studentCount;
  outcome_.subjects = g->subjectCount;
  outcome_.reportSheets = filledReportSheets(*wb_);
  for (std::string_view name : kAskedReportSheetNames)
    if (asked.asks(name)) outcome_.reportSheets.emplace_back(name);
  for (Finding& lack : askedSheetsLack(*g, asked, sheet->name()))
    outcome_.notes.push_back(std::move(lack.text));
  // Every report sheet the run wrote breaks its pages between its tables; those it added get
  // their whole print layout.
  const std::string today = pageDate(clock.today());
  std::vector<std::string> printed = outcome_.sheetsAdded;
  for (const std::string& added : outcome_.sheetsAdded) makePrintReady(*wb_->find(added), today);
  for (const std::string& name : outcome_.reportSheets) {
    host::MemorySheet* sh = wb_->find(name);
    if (!sh || !sh->changed() || name == ReportSheets::slips ||
        std::count(outcome_.sheetsAdded.begin(), outcome_.sheetsAdded.end(), name) > 0)
      continue;
    makeWrittenReportPrintReady(*sh, today);
    printed.push_back(name);
  }
  // The slips' page breaks follow this run's classes, whether the sheet is new or not.
  if (asked.slips)
    if (host::MemorySheet* slips = wb_->find(ReportSheets::slips)) {
      makeSlipsPrintReady(*slips, today);
      if (std::count(printed.begin(), printed.end(), slips->name()) == 0)
        printed.push_back(slips->name());
    }
  if (settings.live) writePrintLayouts(*wb_, *settings.live, printed, outcome_.sheetsAdded);
  if (asked.noRanks)
    outcome_.notes.push_back(
        "这次统计不公布名次：各排名表和成绩条的名次列空着，学生按班级和座号排列，"
        "进退步只写分数的变化，临界生不列一档、二档的名单，一分一段表不写位次。");

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
  if (settings.charts && !settings.live) writeCharts(asked.earlier != nullptr, today);
  return true;
}

// The sheets asked for, added at the end when missing: after "统计图表", which is added before
// them when the run will chart. What cannot be written is told and left out; an earlier run's
// sheet not asked for this time is told to be that run's.
AskedReports WorkbookJob::prepareAskedSheets(const RunSettings& settings,
                                             const GradeBook* earlier) {
  AskedReports asked = settings.asked;
  if (earlier) asked.earlier = earlier;  // else a grade book the caller gave, if any
  const auto& noCells = wb_->sheetsWithoutCells;
  auto heldByChart = [&](std::string_view name) {
    return std::find(noCells.begin(), noCells.end(), name) != noCells.end();
  };
  for (std::string_view name : kAskedReportSheetNames) {
    const host::MemorySheet* sh = wb_->find(name);
    if (!asked.asks(name)) {
      if (sh && sh->cellCount() > 0)
        outcome_.notes.push_back("“" + std::string(name) +
                                 "”是早先一次统计写的，这次统计没有更新它。");
      continue;
    }
    if (heldByChart(name)) {
      outcome_.notes.push_back("“" + std::string(name) +
                               "”是图表工作表（或对话框工作表），没有写入：请把它改名后重试。");
      if (name == ReportSheets::nearLines) asked.nearLines = false;
      if (name == ReportSheets::scoreSegments) asked.segments = false;
      if (name == ReportSheets::slips) asked.slips = false;
      if (name == ReportSheets::progress || name == ReportSheets::progressSummary)
        asked.earlier = nullptr;
      continue;
    }
    if (sh) continue;
    if (settings.charts && !settings.live && !wb_->find(kChartSheetName) &&
        !heldByChart(kChartSheetName))
      wb_->addSheet(std::string(kChartSheetName));
    wb_->addSheet(std::string(name));
    outcome_.sheetsAdded.emplace_back(name);
  }
  return asked;
}

// What the asked sheets leave out for want of a key, a line or a target, each about its place:
// told by a run after it, and by a check asked about these sheets before it.
std::vector<Finding> WorkbookJob::askedSheetsLack(const GradeBook& g, const AskedReports& asked,
                                                  const std::string& scoreSheet) const {
  std::vector<Finding> lacks;
  auto lack = [&](std::string place, std::string text) {
    Finding f;
    f.place = std::move(place);
    f.text = std::move(text);
    lacks.push_back(std::move(f));
  };
  if (asked.earlier) {
    const std::vector<ExamStudent> now = examStudents(g), before = examStudents(*asked.earlier);
    auto numbered = [](const std::vector<ExamStudent>& list) {
      return std::any_of(list.begin(), list.end(),
                         [](const ExamStudent& s) { return !s.examNumber.empty(); });
    };
    if (!numbered(now) || !numbered(before))
      lack(scoreSheet,
           "进退步：两次考试没有都填考号，学生只按班级和姓名配对（改过名字的学生对不上）。");
    for (const std::string& f : matchStudents(now, before).findings)
      lack(scoreSheet, "进退步：" + f);
  }
  if (asked.nearLines) {
    std::string lines;
    for (const std::string& line : linesWithoutLists(g))
      lines += (lines.empty() ? "" : "、") + line;
    if (!lines.empty())
      lack(std::string(PropertySheetLayout::name),
           "临界生：" + lines + "在“属性表”里是 0（或满分是 0），没有它们的名单。");
    if (outcome_.targetsCancelled > 0)
      lack(std::string(PropertySheetLayout::name),
           "临界生：指标数的询问已取消，没有一档、二档的名单。");
  }
  return lacks;
}

void WorkbookJob::writeCharts(bool progress, std::string_view date) {
  const auto& others = wb_->sheetsWithoutCells;
  if (std::find(others.begin(), others.end(), kChartSheetName) != others.end()) {
    outcome_.notes.push_back(
        std::string("“") + std::string(kChartSheetName) +
        "”是图表工作表（或对话框工作表），统计图表没有写入：请把它改名后重试。");
    return;
  }
  outcome_.charts = writeChartSheet(*wb_, outcome_.classes, outcome_.subjects, progress, date);
  outcome_.chartSheet = kChartSheetName;
}

// Why there is no score sheet, told the one way every workflow tells it.
void WorkbookJob::failWithoutScoreSheet(const std::optional<std::string>& sheet) {
  const auto& noCells = wb_->sheetsWithoutCells;
  const bool chart = sheet && std::count(noCells.begin(), noCells.end(), *sheet);
  const std::string problem = "工作簿 " + name_ + "：" + scoreSheetMissing(*wb_, sheet) + "。";
  if (chart)
    fail(JobStatus::badRequest, problem + "请把成绩放在一张普通工作表里。");
  else if (sheet)
    fail(JobStatus::badRequest, problem, Advice::nameScoreSheet);
  else
    fail(JobStatus::attention, problem, Advice::addScoreSheet);
}

// Each save starts from the outcome of the workflow that changed the workbook: an earlier save's
// failure or backup is not its own. False, with the problem, when there is nothing to save.
bool WorkbookJob::startSave() {
  outcome_ = changedOutcome_;
  if (change_ != Change::none) return true;
  if (outcome_.problem.empty()) fail(JobStatus::badRequest, "没有可保存的结果：请先运行统计。");
  return false;
}

// Whether `path` may take the result as far as the input is concerned: it is not the input, and
// a workbook saved in place was read from a file.
bool WorkbookJob::inputAllows(const std::string& path, bool inPlace) {
  if (inPlace && path_.empty()) {
    fail(JobStatus::badRequest, "这个工作簿不是从文件读出的，不能原地保存：请给出结果文件名。");
    return false;
  }
  if (!inPlace && !path.empty() && !path_.empty() && sameFile(path, path_)) {
    fail(JobStatus::badRequest, "结果文件 " + path + " 就是输入的工作簿。原文件不会被覆盖：",
         Advice::resultIsInput);
    return false;
  }
  return true;
}

bool WorkbookJob::canSave(const std::string& path, bool inPlace, bool force) {
  const std::string target = inPlace ? path_ : path;
  if (!inputAllows(path, inPlace)) return false;
  const SaveResult refusal = saveRefusal(*wb_, request(target, inPlace, force));
  if (refusal.status == JobStatus::ok) return true;
  fail(refusal.status, refusal.problem, refusal.advice);
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
    fail(saved.status, saved.problem, saved.advice);
    return;
  }
  outcome_.resultPath = saved.resultPath;
  outcome_.backupPath = saved.backupPath;
  if (saved.earlierKept && change_ == Change::result) tellKeptResult(saved.backupPath);
}

const JobOutcome& WorkbookJob::saveToBytes(const std::string& name, std::string& bytes) {
  if (!startSave()) return outcome_;
  try {
    bytes = io::workbookBytes(*wb_, name, change_ == Change::result);
    outcome_.resultPath = name;
  } catch (const io::FileError& e) {
    fail(JobStatus::unwritable, writeProblem(e.what()));
  } catch (const std::bad_alloc&) {
    fail(JobStatus::unwritable, "无法保存工作簿 " + name + "：内存不足。请关闭其他程序后重试。");
  } catch (const std::exception& e) {
    fail(JobStatus::internal, std::string("内部错误：") + e.what() +
                                  "。没有写入任何文件。请把工作簿和这条消息交给维护者。");
  }
  return outcome_;
}

const JobOutcome& WorkbookJob::listClasses(const std::optional<std::string>& sheet,
                                           LiveWorkbook* live) {
  outcome_ = JobOutcome{};
  change_ = Change::none;
  try {
    checked_.reset();  // the class rows change
    if (listClassesSteps(sheet, live)) change_ = Change::classes;
  } catch (const std::exception& e) {
    fail(JobStatus::internal,
         std::string("内部错误：") + e.what() + "。请把工作簿和这条消息交给维护者。");
  }
  changedOutcome_ = outcome_;
  return outcome_;
}

bool WorkbookJob::listClassesSteps(const std::optional<std::string>& sheet, LiveWorkbook* live) {
  host::MemorySheet* score = scoreSheet(sheet);
  if (!score) {
    failWithoutScoreSheet(sheet);
    return false;
  }
  outcome_.scoreSheet = score->name();
  host::MemorySheet* property = wb_->find(PropertySheetLayout::name);
  if (!property) {
    fail(JobStatus::attention,
         "工作簿 " + name_ + "：" + propertySheetMissing(*wb_) + "，无法列出班级。",
         Advice::addPropertySheet);
    return false;
  }
  const auto before = valuesOf(*property);
  ClassListing listing = valdrex::listClasses(*wb_, *score, *property);
  if (!listing.messages.empty()) {
    for (const std::string& message : listing.messages) outcome_.warnings.push_back(message);
    fail(JobStatus::attention, "班级没有列出，工作簿未改动。请先修正成绩表", Advice::checkFirst);
    return false;
  }
  outcome_.classNames = std::move(listing.classes);
  outcome_.classMoves = std::move(listing.moves);
  outcome_.classes = static_cast<int>(outcome_.classNames.size());
  if (live) {
    // Only the cells whose values changed: formulas and formats elsewhere stay.
    const auto after = valuesOf(*property);
    const std::string& name = property->name();
    for (const auto& [at, value] : before)
      if (!after.contains(at)) live->putStored(name, at.first, at.second, Variant());
    for (const auto& [at, value] : after)
      if (auto was = before.find(at); was == before.end() || !(was->second == value))
        live->putStored(name, at.first, at.second, value);
    live->flush();
  }
  return true;
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
