// A workbook job: every workflow a front end offers on a teacher's workbook, each ending in the
// same outcome. Open it, check it, list its classes into "属性表", or run the statistics with the
// caller's dialogs and date (finding and checking the score sheet, adding the missing report
// sheets); or make a new workbook (the sample, a blank template). Then save what changed
// faithfully: atomically, never over the input or a backup, to a file or to bytes in memory.
//
//   valdrex::WorkbookJob job("成绩.xlsx");            // io::FileError when unreadable
//   valdrex::ListAnswers answers({"30", "20"});      // the two completion targets
//   valdrex::FixedDate date({2026, 12, 6});
//   job.run(answers, date);
//   job.saveAs("成绩-统计结果.xlsx");
//   if (job.outcome().status != valdrex::JobStatus::ok) ...   // outcome().problem says why
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/export.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/host/ui.h"
#include "valdrex/io/io_error.h"  // what the constructor throws
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/made/template_workbook.h"
#include "valdrex/job/outcome/job_outcome.h"
#include "valdrex/job/session/ready_dialogs.h"
#include "valdrex/run/statistics_run.h"

namespace valdrex {

class LiveWorkbook;

struct RunSettings {
  std::optional<std::string> sheet;    // the score sheet's name; else the first other sheet
  bool strict = false;                 // a warning refuses the result
  host::Launcher* launcher = nullptr;  // starts the help pages; else the desktop's opener
  bool charts = true;                  // "统计图表" follows the result; false: left as it was
  // A spreadsheet program's open workbook that the job's workbook is a copy of: what the run
  // changed is written to it at the end, the added sheets included; no charts are drawn there.
  LiveWorkbook* live = nullptr;
  // The answers the dialogs will give to the two target questions, when known beforehand: a
  // second target too large for the workbook's classes refuses it before anything runs.
  std::optional<TargetAnswers> targets;
  // The report sheets written only when asked ("进退步", "进退步汇总", "临界生", "一分一段表"):
  // added after every other sheet of the result ("统计图表" included), rebuilt each time. A run
  // that does not ask for one leaves it as it was, and says so.
  AskedReports asked;
  // The earlier exam's workbook (its score workbook or its result) for "进退步": loaded like this
  // one into asked.earlier (which a caller may also fill itself, without it); one that cannot be
  // read or loaded refuses the run.
  std::optional<std::string> compare;
};

class VALDREX_API WorkbookJob {
 public:
  // The workbook at `path`; io::FileError (its message says what to do) when it cannot be read.
  explicit WorkbookJob(const std::string& path);
  // A workbook made in memory (e.g. sampleWorkbook()); `name` stands for it in messages.
  WorkbookJob(std::unique_ptr<host::MemoryWorkbook> wb, std::string name);
  // The same, never throwing: nullptr, and `failure` says why (status unreadable).
  static std::unique_ptr<WorkbookJob> open(const std::string& path, JobOutcome& failure);
  // A new workbook: the built-in sample, or a blank template for the teacher to fill. Options
  // that cannot be used give nullptr, and `failure` says why (status badRequest).
  static std::unique_ptr<WorkbookJob> sample(const SampleOptions& options, JobOutcome& failure);
  static std::unique_ptr<WorkbookJob> blankTemplate(const TemplateOptions& options,
                                                    JobOutcome& failure);
  ~WorkbookJob();
  WorkbookJob(const WorkbookJob&) = delete;
  WorkbookJob& operator=(const WorkbookJob&) = delete;

  host::MemoryWorkbook& workbook() { return *wb_; }
  // The file name, or the name given for a workbook made in memory.
  const std::string& name() const { return name_; }

  // The sheet named `sheet`, or the first sheet that is neither "属性表" nor a report sheet.
  host::MemorySheet* scoreSheet(const std::optional<std::string>& sheet = {});
  // What would make the statistics wrong or fail: the layout found and the findings, status
  // attention when there are any. The workbook is only read.
  const JobOutcome& check(const std::optional<std::string>& sheet = {});
  // The same, and what the sheets written only when asked (settings.asked, settings.compare)
  // would lack, as a run with these settings would tell it: a key to pair the students by, the
  // lines of "属性表", an earlier workbook that cannot be used.
  const JobOutcome& check(const RunSettings& settings);
  // The largest completion target that works for the classes of the score sheet `sheet`.
  int largestSecondTarget(const std::optional<std::string>& sheet = {});

  // Checks the workbook and refuses it when its statistics cannot be right, adds the missing
  // report sheets and runs the statistics with `dialogs` (messages, the two target questions)
  // and the date of `clock`, then charts the result on "统计图表". Nothing is saved. Never throws:
  // a fault is status internal.
  const JobOutcome& run(JobDialogs& dialogs, host::Clock& clock, const RunSettings& settings = {});
  // Writes the classes of the score sheet `sheet` into column A of "属性表" from row 18, each
  // class's teachers moving with it; nothing is saved. Refused (the workbook unchanged) when
  // there is no score sheet or property sheet, or the loading of the classes stops. `live`: the
  // changed cells are written to that open workbook as well.
  const JobOutcome& listClasses(const std::optional<std::string>& sheet = {},
                                LiveWorkbook* live = nullptr);

  // The saves keep what the last workflow changed: a run's result, a class list or a new
  // workbook; after a check, or a workflow that was refused, there is nothing to save. Each save's
  // outcome is that workflow's with only this save's own result and problem.

  // Whether what changed may be written to `path` (or, `inPlace`, over the input): checked
  // before a run asks anything; a refusal is the outcome's status and problem. Nothing is written.
  bool canSave(const std::string& path, bool inPlace, bool force = false);
  // Writes to `path`, never over the input. An existing file there is kept as a backup unless it
  // is a result exactly as an earlier save left it; a new workbook never replaces a file unless
  // `force`. `force`: a spreadsheet program's lock file beside it is no reason to refuse.
  const JobOutcome& saveAs(const std::string& path, bool force = false);
  // Rewrites the input after copying it to a free backup name.
  const JobOutcome& saveInPlace(bool force = false);
  // The file saveAs would write, as bytes, for a front end without files; `name` stands for the
  // file (its extension decides whether the macro project may be kept).
  const JobOutcome& saveToBytes(const std::string& name, std::string& bytes);

  const JobOutcome& outcome() const { return outcome_; }

 private:
  enum class Change { none, result, classes, made };
  void fail(JobStatus status, std::string problem, Advice advice = Advice::none);
  bool listClassesSteps(const std::optional<std::string>& sheet, LiveWorkbook* live);
  bool runSteps(JobDialogs& dialogs, host::Clock& clock, const RunSettings& settings);
  AskedReports prepareAskedSheets(const RunSettings& settings, const GradeBook* earlier);
  std::vector<Finding> askedSheetsLack(const GradeBook& g, const AskedReports& asked,
                                       const std::string& scoreSheet) const;
  void writeCharts(bool progress, std::string_view date);
  bool startSave();
  bool inputAllows(const std::string& path, bool inPlace);
  const CheckReport& checkReport(const std::optional<std::string>& sheet);
  void failWithoutScoreSheet(const std::optional<std::string>& sheet);
  struct SaveRequest request(const std::string& target, bool inPlace, bool force) const;
  void save(const std::string& target, bool inPlace, bool force);
  void tellKeptResult(const std::string& target);

  std::unique_ptr<host::MemoryWorkbook> wb_;
  std::string path_;  // empty for a workbook made in memory
  std::string name_;
  std::optional<CheckReport> checked_;
  std::optional<std::string> checkedSheet_;  // the sheet asked for when checked_ was made
  Change change_ = Change::none;             // what a save would keep
  JobOutcome outcome_;
  JobOutcome changedOutcome_;  // as the last workflow left it, for each save to start from
};

}  // namespace valdrex
