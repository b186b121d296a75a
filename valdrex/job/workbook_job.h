// A workbook job: what every front end does with a teacher's workbook. Open it, find and check
// its score sheet, add the missing report sheets, run the statistics with the caller's dialogs
// and date, and save the result faithfully (atomically, never over the input or a backup).
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

#include "valdrex/host/memory_workbook.h"
#include "valdrex/host/ui.h"
#include "valdrex/job/check_finding.h"
#include "valdrex/job/job_status.h"
#include "valdrex/job/ready_dialogs.h"

namespace valdrex {

class LiveWorkbook;

// A message box the run showed.
struct ShownMessage {
  std::string title;
  std::string text;
  host::MessageStyle style = host::MessageStyle::plain;
  std::string place;  // the cell the run selected after it ("成绩表!D7"), or empty
};

// Student rows of the score sheet that the statistics leave out.
struct LeftOutRows {
  int blankClass = 0;     // rows without a class
  int belowBlankRow = 0;  // rows below the first row whose seat and name are both empty
  int total() const { return blankClass + belowBlankRow; }
};

struct JobOutcome {
  JobStatus status = JobStatus::ok;
  std::string problem;  // why the job stopped or refused, with advice; empty otherwise
  std::string scoreSheet;
  int classes = 0, students = 0, subjects = 0;
  LeftOutRows leftOut;
  std::vector<std::string> sheetsAdded;   // report sheets that were missing
  std::vector<std::string> reportSheets;  // report sheets holding something after the run
  std::string chartSheet;                 // "统计图表" when the run wrote its charts
  int charts = 0;                         // charts on it
  std::vector<Finding> findings;          // of the check before the run
  std::vector<ShownMessage> messages;     // every message box, the closing one included
  bool ran = false;                       // the statistics ran: not refused before
  bool completed = false;                 // the run showed its closing message
  int targetsCancelled = 0;               // target questions cancelled: completion rates kept
  // Each makes the result differ from what the teacher meant: findings of kind wrongResult,
  // messages other than the closing one, a cancelled target question, a run that did not end, a
  // step of the run that failed and was skipped.
  std::vector<std::string> warnings;
  std::vector<std::string> notes;  // told, not warnings: e.g. an edited earlier result kept
  std::string resultPath;          // the file written, once saved
  std::string backupPath;          // the input's backup, or the kept earlier result
};

struct RunSettings {
  std::optional<std::string> sheet;    // the score sheet's name; else the first other sheet
  bool strict = false;                 // a warning refuses the result
  host::Launcher* launcher = nullptr;  // starts the help pages; else the desktop's opener
  bool charts = true;                  // "统计图表" follows the result; false: left as it was
  // A spreadsheet program's open workbook that the job's workbook is a copy of: the run's every
  // change is made to it as well, the added sheets included; no charts are drawn there.
  LiveWorkbook* live = nullptr;
  // The answers the dialogs will give to the two target questions, when known beforehand: a
  // second target too large for the workbook's classes refuses it before anything runs.
  std::optional<TargetAnswers> targets;
};

class WorkbookJob {
 public:
  // The workbook at `path`; io::FileError (its message says what to do) when it cannot be read.
  explicit WorkbookJob(const std::string& path);
  // A workbook made in memory (e.g. sampleWorkbook()); `name` stands for it in messages.
  WorkbookJob(std::unique_ptr<host::MemoryWorkbook> wb, std::string name);
  ~WorkbookJob();
  WorkbookJob(const WorkbookJob&) = delete;
  WorkbookJob& operator=(const WorkbookJob&) = delete;

  host::MemoryWorkbook& workbook() { return *wb_; }
  // The file name, or the name given for a workbook made in memory.
  const std::string& name() const { return name_; }

  // The sheet named `sheet`, or the first sheet that is neither "属性表" nor a report sheet.
  host::MemorySheet* scoreSheet(const std::optional<std::string>& sheet = {});
  // What would make the statistics wrong or fail; the workbook is only read.
  CheckReport check(const std::optional<std::string>& sheet = {});
  // The largest completion target that works for the classes of the score sheet `sheet`.
  int largestSecondTarget(const std::optional<std::string>& sheet = {});

  // Checks the workbook and refuses it when its statistics cannot be right, adds the missing
  // report sheets and runs the statistics with `dialogs` (messages, the two target questions)
  // and the date of `clock`, then charts the result on "统计图表". Nothing is saved. Never throws:
  // a fault is status internal.
  const JobOutcome& run(JobDialogs& dialogs, host::Clock& clock, const RunSettings& settings = {});
  // Whether the result may be written to `path` (or, `inPlace`, over the input): checked before a
  // run asks anything; a refusal is the outcome's status and problem. Nothing is written.
  bool canSave(const std::string& path, bool inPlace, bool force = false);
  // After a run that was not refused: writes the result to `path`, never over the input. An
  // existing file there is kept as a backup unless it is exactly what an earlier save left;
  // `force`: a spreadsheet program's lock file beside it is no reason to refuse.
  // Each save's outcome is the run's with only this save's own result and problem.
  const JobOutcome& saveAs(const std::string& path, bool force = false);
  // After a run that was not refused: rewrites the input after copying it to a free backup name.
  const JobOutcome& saveInPlace(bool force = false);

  const JobOutcome& outcome() const { return outcome_; }

 private:
  void fail(JobStatus status, std::string problem);
  bool runSteps(JobDialogs& dialogs, host::Clock& clock, const RunSettings& settings);
  void writeCharts();
  bool startSave();
  std::string inputProblem(const std::string& path, bool inPlace) const;
  void save(const std::string& target, bool inPlace, bool force);
  void tellKeptResult(const std::string& target);

  std::unique_ptr<host::MemoryWorkbook> wb_;
  std::string path_;  // empty for a workbook made in memory
  std::string name_;
  std::optional<CheckReport> checked_;
  std::optional<std::string> checkedSheet_;  // the sheet asked for when checked_ was made
  bool ran_ = false;
  JobOutcome outcome_;
  JobOutcome ranOutcome_;  // as the last run left it, for each save to start from
};

}  // namespace valdrex
