// The C interface over WorkbookJob: it looks handles up, turns outcomes into statuses and keeps
// the texts it hands out.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "valdrex/gradebook/levels.h"
#include "valdrex/host/argument_text.h"
#include "valdrex/host/sheet_presentation.h"
#include "valdrex/host/utf8.h"
#include "valdrex/host/variant.h"
#include "valdrex/job/files/output_paths.h"
#include "valdrex/job/workbook_job.h"
#include "valdrex/valdrex.h"

#ifndef VALDREX_VERSION
#define VALDREX_VERSION "0"
#endif

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

struct FindingTexts {
  valdrex_finding_kind kind;
  std::string sheet, cell, message;
};

// The outcome's texts as handed out: valid UTF-8, kept until the next run or save.
struct OutcomeTexts {
  std::string problem, scoreSheet;
  std::vector<valdrex::ShownMessage> messages;
  std::vector<std::string> warnings, notes;
};

struct Job {
  std::mutex mutex;  // one call at a time
  std::unique_ptr<valdrex::WorkbookJob> job;
  std::vector<FindingTexts> findings;
  OutcomeTexts texts;
  std::string sheetName, cellText, chartTitle;  // the last ones handed out
  std::string seriesSheets[3];
};

// The open jobs by handle. A handle is a number never given twice, not an address: a closed or
// made-up handle is not found, and nothing is read through it.
class Registry {
 public:
  valdrex_job* add(std::shared_ptr<Job> job) {
    std::lock_guard lock(mutex_);
    next_ += kStep;
    live_.emplace(next_, std::move(job));
    return reinterpret_cast<valdrex_job*>(next_);
  }
  std::shared_ptr<Job> find(valdrex_job* handle) {
    std::lock_guard lock(mutex_);
    auto it = live_.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == live_.end() ? nullptr : it->second;
  }
  // The job taken out, null when `handle` is not open; it ends with the last call on it, after
  // the lock: other jobs wait for no workbook's teardown.
  std::shared_ptr<Job> remove(valdrex_job* handle) {
    std::lock_guard lock(mutex_);
    auto node = live_.extract(reinterpret_cast<std::uintptr_t>(handle));
    return node ? std::move(node.mapped()) : nullptr;
  }

 private:
  static constexpr std::uintptr_t kStep = 16;  // looks like an aligned address in a debugger
  std::mutex mutex_;
  std::uintptr_t next_ = 0;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Job>> live_;
};

// Never destroyed: jobs may still be closed while the program exits.
Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

thread_local std::string lastError;

valdrex_status failed(valdrex_status status, std::string_view why) {
  lastError = valdrex::utf8::repaired(why);
  return status;
}

valdrex_status succeeded() {
  lastError.clear();
  return VALDREX_OK;
}

valdrex_status invalid(const char* what) {
  return failed(VALDREX_INVALID_ARGUMENT, std::string("参数无效：") + what);
}

valdrex_status badHandle() {
  return failed(VALDREX_BAD_HANDLE, "参数无效：job 不是打开着的作业（为空、已关闭或从未打开）");
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

// Runs `body` on the open job `handle`, one call at a time; a handle that is not an open job is
// VALDREX_BAD_HANDLE.
template <class Body>
valdrex_status withJob(valdrex_job* handle, Body body) {
  const std::shared_ptr<Job> job = registry().find(handle);  // kept alive if closed meanwhile
  if (!job) return badHandle();
  return guarded([&] {
    std::lock_guard lock(job->mutex);
    return body(*job);
  });
}

// The library's advice in the words of this interface: its functions and options.
std::string adviceWords(valdrex::Advice advice) {
  using valdrex::Advice;
  switch (advice) {
    case Advice::none:
      return "";
    case Advice::nameScoreSheet:
      return "请在 valdrex_run_options 的 sheet 里写出成绩表的名字。";
    case Advice::addScoreSheet:
      return "请加入成绩表，或用 valdrex_make_template() 生成模板。";
    case Advice::addPropertySheet:
      return "请加入名为“属性表”的普通工作表（可参照 valdrex_make_template() 生成的模板）。";
    case Advice::reportSheetAdded:
      return "（valdrex_run() 会在末尾添加）";
    case Advice::listClasses:
      return "。可调用 valdrex_classes() 列出班级";
    case Advice::reorderClasses:
      return "。可调用 valdrex_classes() 按成绩表重排（任课教师随班级移动）";
    case Advice::checkFirst:
      return "（可调用 valdrex_check() 查看问题）。";
    case Advice::strictRefused:
      return "请改正列出的问题后重试，或把 strict 设为 0。";
    case Advice::resultIsInput:
      return "请换一个结果文件名；要改写原工作簿请用 valdrex_save_in_place()（会先备份）。";
    case Advice::replaceExisting:
      return "请换一个文件名，或先把这个文件删除或改名。";
    case Advice::closeOrForce:
      return "请先在程序里关闭它再重试；如果没有程序打开它（程序崩溃时会留下锁文件），"
             "可以删除这个锁文件。";
    case Advice::fixOptions:
      return "请按 valdrex.h 里这个函数的说明改正参数。";
  }
  return "";
}

// The job's status after a workflow or save, its problem as the call's reason.
valdrex_status statusOf(Job& job) {
  const valdrex::JobOutcome& o = job.job->outcome();
  job.texts.problem = valdrex::utf8::repaired(o.problem + adviceWords(o.advice));
  job.texts.scoreSheet = valdrex::utf8::repaired(o.scoreSheet);
  job.texts.messages = o.messages;
  for (valdrex::ShownMessage& m : job.texts.messages) {
    m.title = valdrex::utf8::repaired(m.title);
    m.text = valdrex::utf8::repaired(m.text);
    m.place = valdrex::utf8::repaired(m.place);
  }
  job.texts.warnings.clear();
  for (const std::string& w : o.warnings) job.texts.warnings.push_back(valdrex::utf8::repaired(w));
  job.texts.notes.clear();
  for (const std::string& n : o.notes) job.texts.notes.push_back(valdrex::utf8::repaired(n));
  lastError = job.texts.problem;
  return static_cast<valdrex_status>(o.status);
}

valdrex_status opened(std::unique_ptr<valdrex::WorkbookJob> workbookJob,
                      const valdrex::JobOutcome& failure, valdrex_job** out) {
  if (!workbookJob)
    return failed(static_cast<valdrex_status>(failure.status),
                  failure.problem + adviceWords(failure.advice));
  auto job = std::make_shared<Job>();
  job->job = std::move(workbookJob);
  *out = registry().add(std::move(job));
  return succeeded();
}

// The caller's options as this library knows them. A caller compiled before the asked sheets, or
// before the slips and levels, gives the size up to them; a newer caller's members past ours must
// be unset.
constexpr std::size_t kFirstOptionsSize = offsetof(valdrex_run_options, segment_step);
constexpr std::size_t kSecondOptionsSize = offsetof(valdrex_run_options, slips);
static_assert(sizeof(valdrex_run_options) ==
                  offsetof(valdrex_run_options, levels_by_score) + sizeof(unsigned long long),
              "a later member must raise the size: no padding at the end");
valdrex_status readOptions(const valdrex_run_options* given, valdrex_run_options& o) {
  o = VALDREX_RUN_OPTIONS_INIT;
  if (!given) return VALDREX_OK;
  if (given->size != kFirstOptionsSize && given->size != kSecondOptionsSize &&
      given->size < sizeof o)
    return invalid("valdrex_run_options 的 size 不对：请用 VALDREX_RUN_OPTIONS_INIT 初始化");
  const auto* bytes = reinterpret_cast<const unsigned char*>(given);
  bool unknown =
      given->reserved != 0 || (given->size >= kSecondOptionsSize && given->reserved_later != 0);
  for (std::size_t i = sizeof o; i < given->size; ++i) unknown = unknown || bytes[i] != 0;
  if (unknown) return invalid("valdrex_run_options 里有这个版本的库不认识的选项");
  std::memcpy(&o, given, std::min<std::size_t>(given->size, sizeof o));
  o.size = sizeof o;
  return VALDREX_OK;
}

// A number of points or a percent with at most one decimal, in tenths; 0 when it is not one.
int32_t optionTenths(double value, double largest) {
  if (!(value > 0) || value > largest) return 0;
  const double tenths = value * 10;
  if (std::abs(tenths - std::round(tenths)) > 1e-9) return 0;
  return static_cast<int32_t>(std::lround(tenths));
}

// The sheet `name` of the job's workbook, or null (and the call's reason) when there is none.
const valdrex::host::MemorySheet* sheetNamed(Job& job, const char* name) {
  if (!name) {
    invalid("sheet 不能为空");
    return nullptr;
  }
  const valdrex::host::MemorySheet* found = job.job->workbook().find(name);
  if (!found) failed(VALDREX_BAD_REQUEST, std::string("没有名为“") + name + "”的工作表");
  return found;
}

// The i-th warning or note of the job's outcome, or null (and why) past the last.
const char* nthText(valdrex_job* handle, std::vector<std::string> OutcomeTexts::*list, size_t i,
                    const char* missing) {
  const char* text = nullptr;
  withJob(handle, [&](Job& job) {
    const std::vector<std::string>& texts = job.texts.*list;
    if (i >= texts.size()) return invalid(missing);
    text = texts[i].c_str();
    return succeeded();
  });
  return text;
}

// A cell of the job's workbook, or what is wrong with asking for it.
template <class Text>
const char* cellString(valdrex_job* handle, const char* sheet, int row, int column,
                       const Text& text) {
  const char* out = nullptr;
  withJob(handle, [&](Job& job) {
    if (row < 1 || column < 1) return invalid("行号和列号从 1 开始");
    const valdrex::host::MemorySheet* found = sheetNamed(job, sheet);
    if (!found) return sheet ? VALDREX_BAD_REQUEST : VALDREX_INVALID_ARGUMENT;
    const valdrex::host::Cell* cell = found->find(row, column);
    job.cellText = cell ? valdrex::utf8::repaired(text(*cell)) : "";
    out = job.cellText.c_str();
    return succeeded();
  });
  return out;
}

// Chart `i` Valdrex placed on the sheet `name`, or null with the call's status in `why`.
const valdrex::host::Chart* chartNamed(Job& job, const char* name, size_t i, valdrex_status& why) {
  const valdrex::host::MemorySheet* found = sheetNamed(job, name);
  if (!found) {
    why = name ? VALDREX_BAD_REQUEST : VALDREX_INVALID_ARGUMENT;
    return nullptr;
  }
  if (i >= found->charts().size()) {
    why = invalid("这张工作表上没有这一幅图表");
    return nullptr;
  }
  return &found->charts()[i];
}

}  // namespace

extern "C" {

const char* valdrex_version(void) { return VALDREX_VERSION; }

const char* valdrex_last_error(void) { return lastError.c_str(); }

const char* valdrex_result_name(const char* name) {
  static thread_local std::string made;
  if (!name) {
    invalid("name 不能为空");
    return nullptr;
  }
  const valdrex_status status = guarded([&] {
    made = valdrex::utf8::repaired(valdrex::resultPath(name));
    return succeeded();
  });
  return status == VALDREX_OK ? made.c_str() : nullptr;
}

valdrex_status valdrex_open(const char* path, valdrex_job** job) {
  if (!job) return invalid("job 不能为空");
  *job = nullptr;
  if (!path) return invalid("path 不能为空");
  return guarded([&] {
    valdrex::JobOutcome failure;
    return opened(valdrex::WorkbookJob::open(path, failure), failure, job);
  });
}

valdrex_status valdrex_open_sample(valdrex_job** job) {
  if (!job) return invalid("job 不能为空");
  *job = nullptr;
  return guarded([&] {
    return opened(std::make_unique<valdrex::WorkbookJob>(valdrex::sampleWorkbook({}), "内置示例"),
                  {}, job);
  });
}

valdrex_status valdrex_make_sample(int classes, int students, int subjects, unsigned seed,
                                   valdrex_job** job) {
  if (!job) return invalid("job 不能为空");
  *job = nullptr;
  return guarded([&] {
    valdrex::JobOutcome failure;
    return opened(valdrex::WorkbookJob::sample({classes, students, subjects, seed}, failure),
                  failure, job);
  });
}

valdrex_status valdrex_make_template(const char* subjects, int classes, valdrex_job** job) {
  if (!job) return invalid("job 不能为空");
  *job = nullptr;
  return guarded([&] {
    valdrex::TemplateOptions options;
    if (subjects) options.subjects = valdrex::splitItems(subjects);
    options.classes = classes;
    valdrex::JobOutcome failure;
    return opened(valdrex::WorkbookJob::blankTemplate(options, failure), failure, job);
  });
}

valdrex_status valdrex_close(valdrex_job* job) {
  if (!job) return succeeded();
  return registry().remove(job) ? succeeded() : badHandle();
}

valdrex_status valdrex_check(valdrex_job* handle, const char* sheet, size_t* findings) {
  return withJob(handle, [&](Job& job) {
    std::optional<std::string> name;
    if (sheet) name = sheet;
    const valdrex::JobOutcome& report = job.job->check(name);
    job.findings.clear();
    for (const valdrex::Finding& f : report.findings)
      job.findings.push_back({static_cast<valdrex_finding_kind>(f.kind()),
                              valdrex::utf8::repaired(f.sheet()), valdrex::utf8::repaired(f.cell()),
                              valdrex::utf8::repaired(f.text + adviceWords(f.advice))});
    if (findings) *findings = job.findings.size();
    return succeeded();
  });
}

valdrex_status valdrex_finding(valdrex_job* handle, size_t i, valdrex_finding_kind* kind,
                               const char** sheet, const char** cell, const char** message) {
  return withJob(handle, [&](Job& job) {
    if (i >= job.findings.size()) return invalid("没有这一条检查结果");
    const FindingTexts& f = job.findings[i];
    if (kind) *kind = f.kind;
    if (sheet) *sheet = f.sheet.c_str();
    if (cell) *cell = f.cell.c_str();
    if (message) *message = f.message.c_str();
    return succeeded();
  });
}

valdrex_status valdrex_run(valdrex_job* handle, const valdrex_run_options* options) {
  return withJob(handle, [&](Job& job) {
    valdrex_run_options o;
    if (const valdrex_status status = readOptions(options, o); status != VALDREX_OK) return status;
    const bool defaults = o.first_target == 0 && o.second_target == 0;
    if (!defaults && !valdrex::validTargets(o.first_target, o.second_target))
      return failed(VALDREX_BAD_REQUEST,
                    "指标数应为两个整数，1 ≤ 一档 ≤ 二档 ≤ 32767，或都为 0（取问题的默认值）");
    if (o.year != 0 && !valdrex::isCalendarDate({o.year, o.month, o.day}))
      return failed(VALDREX_BAD_REQUEST, "日期无效：应为 1900-01-01 到 9999-12-31 之间的日期");
    std::vector<std::optional<std::string>> answers;
    if (!defaults) answers = {std::to_string(o.first_target), std::to_string(o.second_target)};
    valdrex::ListAnswers dialogs(std::move(answers));
    valdrex::DateOrToday clock(
        o.year != 0 ? std::optional<valdrex::CivilDate>({o.year, o.month, o.day}) : std::nullopt);
    valdrex::RunSettings settings;
    if (o.sheet) settings.sheet = o.sheet;
    settings.strict = o.strict != 0;
    settings.charts = o.no_charts == 0;
    if (o.segments < 0 || o.segments > 2)
      return failed(VALDREX_BAD_REQUEST, "segments 应为 0、1 或 2");
    settings.asked.segments = o.segments != 0;
    settings.asked.segmentsAllSubjects = o.segments == 2;
    settings.asked.nearLines = o.near_lines != 0;
    if (o.step < 0) return failed(VALDREX_BAD_REQUEST, "step 应为正整数（0 取默认的 20）");
    if (o.step > 0) settings.asked.progressStep = o.step;
    if (o.compare.path) settings.compare = o.compare.path;
    if (o.segment_step != 0) {
      settings.asked.segmentStep = optionTenths(o.segment_step, 1000);
      if (settings.asked.segmentStep == 0)
        return failed(VALDREX_BAD_REQUEST, "segment_step 应为大于 0、最多一位小数的分数");
    }
    if (o.margin != 0) {
      const int32_t tenths = optionTenths(o.margin, 100);
      if (tenths == 0)
        return failed(VALDREX_BAD_REQUEST, "margin 应为大于 0、不超过 100、最多一位小数的百分数");
      settings.asked.marginPercent = tenths / 10.0;
    }
    settings.asked.slips = o.slips != 0;
    settings.asked.noRanks = o.no_ranks != 0;
    if (o.levels.text && o.levels_by_score.text)
      return failed(VALDREX_BAD_REQUEST, "levels 和 levels_by_score 只能给一个");
    std::string problem;
    if (o.levels.text) {
      const std::string shares(*o.levels.text ? std::string_view(o.levels.text)
                                              : valdrex::kDefaultLevelShares);
      if (!(settings.asked.levels = valdrex::parseLevelShares(shares, problem)))
        return failed(VALDREX_BAD_REQUEST, "levels 中" + problem);
    }
    if (o.levels_by_score.text &&
        !(settings.asked.levels = valdrex::parseLevelLines(o.levels_by_score.text, problem)))
      return failed(VALDREX_BAD_REQUEST, "levels_by_score 中" + problem);
    if (!defaults)
      settings.targets = valdrex::TargetAnswers{static_cast<int16_t>(o.first_target),
                                                static_cast<int16_t>(o.second_target)};
    job.job->run(dialogs, clock, settings);
    return statusOf(job);
  });
}

valdrex_status valdrex_classes(valdrex_job* handle, const char* sheet) {
  return withJob(handle, [&](Job& job) {
    std::optional<std::string> name;
    if (sheet) name = sheet;
    job.job->listClasses(name);
    return statusOf(job);
  });
}

valdrex_status valdrex_save_as(valdrex_job* handle, const char* path) {
  return withJob(handle, [&](Job& job) {
    if (!path) return invalid("path 不能为空");
    job.job->saveAs(path);
    return statusOf(job);
  });
}

valdrex_status valdrex_save_in_place(valdrex_job* handle) {
  return withJob(handle, [&](Job& job) {
    job.job->saveInPlace();
    return statusOf(job);
  });
}

valdrex_status valdrex_status_of(valdrex_job* handle) {
  valdrex_status status = VALDREX_OK;
  const valdrex_status call = withJob(handle, [&](Job& job) {
    status = static_cast<valdrex_status>(job.job->outcome().status);
    return succeeded();
  });
  return call == VALDREX_OK ? status : call;
}

long valdrex_count_of(valdrex_job* handle, valdrex_count which) {
  long count = -1;
  withJob(handle, [&](Job& job) {
    const valdrex::JobOutcome& o = job.job->outcome();
    switch (which) {
      case VALDREX_CLASSES:
        count = o.classes;
        break;
      case VALDREX_STUDENTS:
        count = o.students;
        break;
      case VALDREX_SUBJECTS:
        count = o.subjects;
        break;
      case VALDREX_LEFT_OUT:
        count = o.leftOut.total();
        break;
      case VALDREX_SHEETS_ADDED:
        count = static_cast<long>(o.sheetsAdded.size());
        break;
      case VALDREX_REPORT_SHEETS:
        count = static_cast<long>(o.reportSheets.size());
        break;
      case VALDREX_MESSAGES:
        count = static_cast<long>(o.messages.size());
        break;
      case VALDREX_WARNINGS:
        count = static_cast<long>(o.warnings.size());
        break;
      case VALDREX_COMPLETED:
        count = o.completed ? 1 : 0;
        break;
      case VALDREX_CHARTS:
        count = o.charts;
        break;
      default:
        return invalid("没有这一项数目");
    }
    return succeeded();
  });
  return count;
}

const char* valdrex_text_of(valdrex_job* handle, valdrex_text which) {
  const char* text = nullptr;
  withJob(handle, [&](Job& job) {
    const valdrex::JobOutcome& o = job.job->outcome();
    switch (which) {
      case VALDREX_PROBLEM:
        text = job.texts.problem.c_str();
        break;
      case VALDREX_SCORE_SHEET:
        text = job.texts.scoreSheet.c_str();
        break;
      case VALDREX_RESULT_PATH:  // the file's name as the system has it, to be used again
        text = o.resultPath.c_str();
        break;
      case VALDREX_BACKUP_PATH:
        text = o.backupPath.c_str();
        break;
      default:
        return invalid("没有这一项文字");
    }
    return succeeded();
  });
  return text;
}

valdrex_status valdrex_message(valdrex_job* handle, size_t i, const char** title, const char** text,
                               valdrex_message_style* style, const char** place) {
  return withJob(handle, [&](Job& job) {
    if (i >= job.texts.messages.size()) return invalid("没有这一条提示");
    const valdrex::ShownMessage& m = job.texts.messages[i];
    if (title) *title = m.title.c_str();
    if (text) *text = m.text.c_str();
    if (style) *style = static_cast<valdrex_message_style>(m.style);
    if (place) *place = m.place.c_str();
    return succeeded();
  });
}

const char* valdrex_warning(valdrex_job* handle, size_t i) {
  return nthText(handle, &OutcomeTexts::warnings, i, "没有这一条警告");
}

const char* valdrex_note(valdrex_job* handle, size_t i) {
  return nthText(handle, &OutcomeTexts::notes, i, "没有这一条注意");
}

valdrex_status valdrex_used_range(valdrex_job* handle, const char* sheet, int* rows, int* columns) {
  return withJob(handle, [&](Job& job) {
    if (!rows || !columns) return invalid("rows 和 columns 不能为空");
    const valdrex::host::MemorySheet* found = sheetNamed(job, sheet);
    if (!found) return sheet ? VALDREX_BAD_REQUEST : VALDREX_INVALID_ARGUMENT;
    const bool empty = found->cellCount() == 0 && found->merges().empty();
    const valdrex::host::Range used = found->usedRange();
    *rows = empty ? 0 : used.row2;
    *columns = empty ? 0 : used.col2;
    return succeeded();
  });
}

const char* valdrex_sheet_name(valdrex_job* handle, size_t i) {
  const char* name = nullptr;
  withJob(handle, [&](Job& job) {
    valdrex::host::MemoryWorkbook& book = job.job->workbook();
    if (i >= book.sheetCount()) return invalid("没有这一张工作表");
    job.sheetName = valdrex::utf8::repaired(book.sheetAt(i).name());
    name = job.sheetName.c_str();
    return succeeded();
  });
  return name;
}

const char* valdrex_cell_text(valdrex_job* handle, const char* sheet, int row, int column) {
  return cellString(handle, sheet, row, column,
                    [](const valdrex::host::Cell& cell) { return valdrex::textOf(cell.value); });
}

const char* valdrex_cell_format(valdrex_job* handle, const char* sheet, int row, int column) {
  return cellString(handle, sheet, row, column, [](const valdrex::host::Cell& cell) {
    return std::string(cell.format.numberFormat.str());
  });
}

valdrex_status valdrex_chart(valdrex_job* handle, const char* sheet, size_t i, const char** title,
                             int* stacked, int* percent, size_t* series) {
  return withJob(handle, [&](Job& job) {
    valdrex_status why = VALDREX_OK;
    const valdrex::host::Chart* found = chartNamed(job, sheet, i, why);
    if (!found) return why;
    const valdrex::host::Chart& chart = *found;
    job.chartTitle = valdrex::utf8::repaired(chart.title);
    if (title) *title = job.chartTitle.c_str();
    if (stacked) *stacked = chart.kind == valdrex::host::ChartKind::stackedColumns;
    if (percent) *percent = chart.percentValues;
    if (series) *series = chart.series.size();
    return succeeded();
  });
}

valdrex_status valdrex_chart_series(valdrex_job* handle, const char* sheet, size_t chart, size_t s,
                                    valdrex_cells* name, valdrex_cells* labels,
                                    valdrex_cells* values) {
  return withJob(handle, [&](Job& job) {
    valdrex_status why = VALDREX_OK;
    const valdrex::host::Chart* found = chartNamed(job, sheet, chart, why);
    if (!found) return why;
    const auto& series = found->series;
    if (s >= series.size()) return invalid("这幅图表没有这一个系列");
    const valdrex::host::SheetRange* from[] = {&series[s].name, &series[s].categories,
                                               &series[s].values};
    valdrex_cells* to[] = {name, labels, values};
    for (int k = 0; k < 3; ++k) {
      job.seriesSheets[k] = valdrex::utf8::repaired(from[k]->sheet);
      if (!to[k]) continue;
      const valdrex::host::Range& r = from[k]->range;
      *to[k] = {job.seriesSheets[k].c_str(), r.row1, r.col1, r.row2, r.col2};
    }
    return succeeded();
  });
}

valdrex_status valdrex_series_colour(valdrex_job* handle, const char* sheet, size_t chart, size_t s,
                                     unsigned long* rgb) {
  return withJob(handle, [&](Job& job) {
    if (!rgb) return invalid("rgb 不能为空");
    valdrex_status why = VALDREX_OK;
    const valdrex::host::Chart* c = chartNamed(job, sheet, chart, why);
    if (!c) return why;
    if (s >= c->series.size()) return invalid("这幅图表没有这一个系列");
    *rgb = valdrex::host::seriesColour(*c, s);
    return succeeded();
  });
}

}  // extern "C"
