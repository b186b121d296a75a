// The C interface over WorkbookJob: handles own the job and the texts handed out.
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "valdrex/io/io_error.h"
#include "valdrex/job/sample_workbook.h"
#include "valdrex/job/workbook_job.h"
#include "valdrex/valdrex.h"

#ifndef VALDREX_VERSION
#define VALDREX_VERSION "0"
#endif

struct valdrex_job {
  std::unique_ptr<valdrex::WorkbookJob> job;
  valdrex::CheckReport report;
  std::string sheet, cell;  // of the finding asked last
};

namespace {

// The C values are the library's, passed through by their numbers.
static_assert(VALDREX_INTERNAL == static_cast<int>(valdrex::JobStatus::internal) &&
              VALDREX_ATTENTION == static_cast<int>(valdrex::JobStatus::attention));
static_assert(VALDREX_FINDING_STOPS_LOADING ==
              static_cast<int>(valdrex::FindingKind::stopsLoading));
static_assert(VALDREX_MESSAGE_PLAIN_SECOND_DEFAULT ==
                  static_cast<int>(valdrex::host::MessageStyle::plainSecondDefault) &&
              VALDREX_MESSAGE_INFORMATION ==
                  static_cast<int>(valdrex::host::MessageStyle::information));

thread_local std::string lastError;

valdrex_status failed(valdrex_status status, std::string why) {
  lastError = std::move(why);
  return status;
}

valdrex_status invalid(const char* what) {
  return failed(VALDREX_INVALID_ARGUMENT, std::string("参数无效：") + what);
}

// Runs `body`, turning anything thrown into a status.
template <class Body>
valdrex_status guarded(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return failed(VALDREX_INTERNAL, "内存不足");
  } catch (const std::exception& e) {
    return failed(VALDREX_INTERNAL, std::string("内部错误：") + e.what());
  } catch (...) {
    return failed(VALDREX_INTERNAL, "内部错误");
  }
}

valdrex_status statusOf(const valdrex::JobOutcome& outcome) {
  const auto status = static_cast<valdrex_status>(outcome.status);
  if (!outcome.problem.empty()) return failed(status, outcome.problem);
  return status;
}

valdrex_status opened(std::unique_ptr<valdrex::WorkbookJob> job, valdrex_job** out) {
  *out = new valdrex_job{std::move(job), {}, {}, {}};
  return VALDREX_OK;
}

}  // namespace

extern "C" {

const char* valdrex_version(void) { return VALDREX_VERSION; }

const char* valdrex_last_error(void) { return lastError.c_str(); }

valdrex_status valdrex_open(const char* path, valdrex_job** job) {
  if (!path || !job) return invalid("path 和 job 不能为空");
  *job = nullptr;
  return guarded([&] {
    try {
      return opened(std::make_unique<valdrex::WorkbookJob>(path), job);
    } catch (const valdrex::io::FileError& e) {
      return failed(VALDREX_UNREADABLE, e.what());
    }
  });
}

valdrex_status valdrex_open_sample(valdrex_job** job) {
  if (!job) return invalid("job 不能为空");
  *job = nullptr;
  return guarded([&] {
    return opened(std::make_unique<valdrex::WorkbookJob>(valdrex::sampleWorkbook({}), "内置示例"),
                  job);
  });
}

void valdrex_close(valdrex_job* job) { delete job; }

valdrex_status valdrex_check(valdrex_job* job, const char* sheet, size_t* findings) {
  if (!job) return invalid("job 不能为空");
  return guarded([&] {
    std::optional<std::string> name;
    if (sheet) name = sheet;
    job->report = job->job->check(name);
    if (findings) *findings = job->report.findings.size();
    return VALDREX_OK;
  });
}

valdrex_status valdrex_finding(valdrex_job* job, size_t i, valdrex_finding_kind* kind,
                               const char** sheet, const char** cell, const char** message) {
  if (!job || i >= job->report.findings.size()) return invalid("没有这一条检查结果");
  return guarded([&] {
    const valdrex::Finding& f = job->report.findings[i];
    job->sheet = f.sheet();
    job->cell = f.cell();
    if (kind) *kind = static_cast<valdrex_finding_kind>(f.kind());
    if (sheet) *sheet = job->sheet.c_str();
    if (cell) *cell = job->cell.c_str();
    if (message) *message = f.text.c_str();
    return VALDREX_OK;
  });
}

valdrex_status valdrex_run(valdrex_job* job, const valdrex_run_options* options) {
  if (!job) return invalid("job 不能为空");
  const valdrex_run_options none{};
  const valdrex_run_options& o = options ? *options : none;
  const bool defaults = o.first_target == 0 && o.second_target == 0;
  if (!defaults && !valdrex::validTargets(o.first_target, o.second_target))
    return failed(VALDREX_BAD_REQUEST,
                  "指标数应为两个整数，1 ≤ 一档 ≤ 二档 ≤ 32767，或都为 0（取问题的默认值）");
  if (o.year != 0 && !valdrex::isCalendarDate({o.year, o.month, o.day}))
    return failed(VALDREX_BAD_REQUEST, "日期无效：应为 1900-01-01 到 9999-12-31 之间的日期");
  return guarded([&] {
    std::vector<std::optional<std::string>> answers;
    if (!defaults) answers = {std::to_string(o.first_target), std::to_string(o.second_target)};
    valdrex::ListAnswers dialogs(std::move(answers));
    valdrex::DateOrToday clock(
        o.year != 0 ? std::optional<valdrex::CivilDate>({o.year, o.month, o.day}) : std::nullopt);
    valdrex::RunSettings settings;
    if (o.sheet) settings.sheet = o.sheet;
    settings.strict = o.strict != 0;
    settings.charts = o.no_charts == 0;
    if (!defaults)
      settings.targets = valdrex::TargetAnswers{static_cast<int16_t>(o.first_target),
                                                static_cast<int16_t>(o.second_target)};
    return statusOf(job->job->run(dialogs, clock, settings));
  });
}

valdrex_status valdrex_save_as(valdrex_job* job, const char* path) {
  if (!job || !path) return invalid("job 和 path 不能为空");
  return guarded([&] { return statusOf(job->job->saveAs(path)); });
}

valdrex_status valdrex_save_in_place(valdrex_job* job) {
  if (!job) return invalid("job 不能为空");
  return guarded([&] { return statusOf(job->job->saveInPlace()); });
}

valdrex_status valdrex_status_of(valdrex_job* job) {
  if (!job) return invalid("job 不能为空");
  return static_cast<valdrex_status>(job->job->outcome().status);
}

long valdrex_count_of(valdrex_job* job, valdrex_count which) {
  if (!job) return -1;
  const valdrex::JobOutcome& o = job->job->outcome();
  switch (which) {
    case VALDREX_CLASSES:
      return o.classes;
    case VALDREX_STUDENTS:
      return o.students;
    case VALDREX_SUBJECTS:
      return o.subjects;
    case VALDREX_LEFT_OUT:
      return o.leftOut.total();
    case VALDREX_SHEETS_ADDED:
      return static_cast<long>(o.sheetsAdded.size());
    case VALDREX_REPORT_SHEETS:
      return static_cast<long>(o.reportSheets.size());
    case VALDREX_MESSAGES:
      return static_cast<long>(o.messages.size());
    case VALDREX_WARNINGS:
      return static_cast<long>(o.warnings.size());
    case VALDREX_COMPLETED:
      return o.completed ? 1 : 0;
    case VALDREX_CHARTS:
      return o.charts;
  }
  return -1;
}

const char* valdrex_text_of(valdrex_job* job, valdrex_text which) {
  if (!job) return "";
  const valdrex::JobOutcome& o = job->job->outcome();
  switch (which) {
    case VALDREX_PROBLEM:
      return o.problem.c_str();
    case VALDREX_SCORE_SHEET:
      return o.scoreSheet.c_str();
    case VALDREX_RESULT_PATH:
      return o.resultPath.c_str();
    case VALDREX_BACKUP_PATH:
      return o.backupPath.c_str();
  }
  return "";
}

valdrex_status valdrex_message(valdrex_job* job, size_t i, const char** title, const char** text,
                               valdrex_message_style* style, const char** place) {
  if (!job || i >= job->job->outcome().messages.size()) return invalid("没有这一条提示");
  const valdrex::ShownMessage& m = job->job->outcome().messages[i];
  if (title) *title = m.title.c_str();
  if (text) *text = m.text.c_str();
  if (style) *style = static_cast<valdrex_message_style>(m.style);
  if (place) *place = m.place.c_str();
  return VALDREX_OK;
}

const char* valdrex_warning(valdrex_job* job, size_t i) {
  if (!job || i >= job->job->outcome().warnings.size()) return nullptr;
  return job->job->outcome().warnings[i].c_str();
}

}  // extern "C"
