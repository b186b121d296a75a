#include "cli/run_command.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <system_error>
#include <thread>

#include "cli/exit_codes.h"
#include "valdrex/host/argument_text.h"
#include "valdrex/job/files/output_paths.h"

namespace valdrex::cli {

namespace {

std::optional<long> wholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return std::stol(text);
}

std::string checkOptions(RunOptions& options) {
  const auto& books = options.workbooks;
  if (options.output && books.size() > 1)
    return "-o 只能和一个工作簿一起用。请去掉 -o，结果会分别写在各工作簿旁边。";
  if (options.settings.inPlace && books.empty())
    return "--in-place 需要指定工作簿。请写出要改写的工作簿文件。";
  if (options.settings.inPlace && options.output)
    return "--in-place 和 -o 不能同时使用。请二选一。";
  for (std::size_t i = 0; i < books.size(); ++i)
    for (std::size_t k = 0; k < i; ++k)
      if (sameFile(books[i], books[k]))
        return "工作簿 " + books[i] + " 写了两次。请每个工作簿只写一次。";
  return "";
}

// Every file the call writes (results, or rewritten workbooks and their backups) must be one a
// workbook may replace, and neither a workbook of the call nor another file the call writes:
// the jobs run side by side, and one would destroy what another reads or writes.
std::string checkTargets(const RunOptions& options, const std::vector<JobInput>& jobs) {
  struct Target {
    std::string path;
    std::size_t job;
    const char* what;
  };
  std::vector<Target> targets;
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    if (options.settings.inPlace) {
      targets.push_back({jobs[j].path, j, nullptr});
      targets.push_back({freeBackupPath(jobs[j].path), j, "备份"});
    } else {
      targets.push_back({jobs[j].output, j, "结果"});
    }
  }
  auto from = [&](const Target& t) {
    return jobs[t.job].path.empty() ? std::string("内置示例") : "工作簿 " + jobs[t.job].path;
  };
  const auto& books = options.workbooks;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const Target& t = targets[i];
    if (std::string problem = outputProblem(t.path); !problem.empty()) return problem;
    for (std::size_t b = 0; b < books.size(); ++b)
      if (t.what && sameFile(t.path, books[b]))
        return from(t) + " 的" + t.what + " " + t.path + " 会覆盖输入的工作簿 " + books[b] +
               (options.settings.inPlace
                    ? "。请把其中一个工作簿改名后重试。"
                    : "。原文件不会被覆盖：请换一个结果文件名（-o）或把工作簿改名；要改写原工作簿"
                      "请用 --in-place（会先备份）。");
    for (std::size_t k = 0; k < i; ++k)
      if (sameFile(t.path, targets[k].path))
        return "工作簿 " + jobs[targets[k].job].path + " 和 " + jobs[t.job].path +
               " 会写入同一个文件 " + t.path + "。请把其中一个工作簿改名后重试。";
  }
  return "";
}

}  // namespace

std::optional<TargetAnswers> parseTargets(const std::string& text) {
  const std::vector<std::string> items = splitItems(text);
  if (items.size() != 2) return std::nullopt;
  auto first = wholeNumber(items[0]);
  auto second = wholeNumber(items[1]);
  if (!first || !second || !validTargets(*first, *second)) return std::nullopt;
  return TargetAnswers{static_cast<int16_t>(*first), static_cast<int16_t>(*second)};
}

std::optional<CivilDate> parseDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto year = wholeNumber(text.substr(0, 4));
  auto month = wholeNumber(text.substr(5, 2));
  auto day = wholeNumber(text.substr(8, 2));
  if (!year || !month || !day) return std::nullopt;
  const CivilDate date{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
  if (!isCalendarDate(date)) return std::nullopt;
  return date;
}

int runCommand(RunOptions options, Terminal& terminal) {
  std::vector<JobInput> jobs;
  if (options.workbooks.empty()) jobs.push_back({"", options.output.value_or(kSampleResult)});
  for (const std::string& path : options.workbooks)
    jobs.push_back({path, options.output.value_or(resultPath(path))});
  std::string problem = checkOptions(options);
  if (problem.empty()) problem = checkTargets(options, jobs);
  if (!problem.empty()) {
    terminal.message(problem);
    return kExitBadArguments;
  }
  options.settings.named = jobs.size() > 1;

  std::vector<int> statuses(jobs.size(), kExitOk);
  // Jobs start in order, so a job waiting for the turns of earlier ones never waits on one that
  // has not started.
  QuestionTurns turns(jobs.size());
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++)
      statuses[i] = runWorkbookJob(jobs[i], options.settings, terminal, &turns, i);
  };
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t helpers = std::min(cores, jobs.size()) - 1;
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < helpers; ++t) {
    try {
      threads.emplace_back(worker);
    } catch (const std::system_error&) {
      break;  // fewer threads only make it slower
    }
  }
  worker();
  for (std::thread& t : threads) t.join();

  int worst = kExitOk;
  for (int status : statuses) worst = worseExit(worst, status);
  return worst;
}

}  // namespace valdrex::cli
