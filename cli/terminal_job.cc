#include "cli/terminal_job.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/advice_words.h"
#include "cli/exit_codes.h"
#include "valdrex/job/files/output_paths.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex::cli {

namespace {

std::string seconds(std::chrono::steady_clock::duration d) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", std::chrono::duration<double>(d).count());
  return text;
}

// A finding as told before the run and in the closing summary.
// Warnings listed again in the summary; the rest are only counted there.
constexpr std::size_t kWarningsListed = 20;

class TerminalJob {
 public:
  TerminalJob(const JobInput& input, const JobSettings& settings, Terminal& terminal)
      : input_(input),
        settings_(settings),
        terminal_(terminal),
        name_(input.path.empty() ? "内置示例" : displayName(input.path)),
        prefix_(settings.named ? "[" + name_ + "] " : "") {}

  int run(QuestionTurns* turns, std::size_t turn) {
    JobOutcome failure;
    std::unique_ptr<WorkbookJob> job =
        input_.path.empty() ? std::make_unique<WorkbookJob>(sampleWorkbook({}), name_)
                            : WorkbookJob::open(input_.path, failure);
    if (!job) return fail(failure);
    // Where the result goes is checked before the run asks anything.
    if (!job->canSave(input_.output, settings_.inPlace, settings_.force))
      return fail(job->outcome());
    // What `valdrex check` finds, told before the run.
    if (job->scoreSheet(settings_.sheet))
      for (const Finding& f : job->check(settings_.sheet).findings)
        say((f.stopsLoading ? "错误：" : f.wrongResult ? "警告：" : "注意：") + findingLine(f));

    TerminalUi ui(terminal_, prefix_, settings_.targets);
    ui.limitTargets(job->largestSecondTarget(settings_.sheet));
    ui.takeTurns(turns, turn);
    DateOrToday clock(settings_.date);
    const JobOutcome& outcome =
        job->run(ui, clock,
                 {settings_.sheet, settings_.strict, nullptr, settings_.charts, nullptr,
                  settings_.targets, settings_.asked, settings_.compare});
    ui.passTurn();
    if (outcome.ran && !outcome.completed) say("警告：统计没有正常结束（没有看到完成提示）。");
    if (outcome.problem.empty())
      settings_.inPlace ? job->saveInPlace(settings_.force)
                        : job->saveAs(input_.output, settings_.force);
    for (const std::string& note : outcome.notes) say("注意：" + note);
    if (!outcome.problem.empty()) return fail(outcome);
    summarise(outcome);
    return static_cast<int>(outcome.status);
  }

 private:
  void say(const std::string& line) { terminal_.message(prefix_ + line); }
  int fail(const JobOutcome& outcome) {
    const int status = static_cast<int>(outcome.status);
    say(problemLine(outcome));
    terminal_.result(name_ + "：未完成（退出码 " + std::to_string(status) + "）");
    return status;
  }

  void summarise(const JobOutcome& outcome) {
    std::string line = name_ + "：" + std::to_string(outcome.classes) + " 个班，" +
                       std::to_string(outcome.students) + " 名学生";
    if (const int left = outcome.leftOut.total(); left > 0) {
      std::vector<std::string> why;
      if (outcome.leftOut.blankClass)
        why.push_back("班级为空 " + std::to_string(outcome.leftOut.blankClass) + " 行");
      if (outcome.leftOut.belowBlankRow)
        why.push_back("名单中的空行下方 " + std::to_string(outcome.leftOut.belowBlankRow) + " 行");
      line += "（另有 " + std::to_string(left) + " 行没有统计：" + why[0] +
              (why.size() > 1 ? "，" + why[1] : "") + "）";
    }
    line += "，" + std::to_string(outcome.subjects) + " 个科目；写入 " +
            std::to_string(outcome.reportSheets.size()) + " 张报告表 → " + outcome.resultPath;
    if (!outcome.backupPath.empty())
      line += settings_.inPlace ? "（原文件备份为 " + outcome.backupPath + "）"
                                : "（旧结果备份为 " + outcome.backupPath + "）";
    if (!outcome.chartSheet.empty())
      line += "；" + outcome.chartSheet + " " + std::to_string(outcome.charts) + " 幅";
    const auto& warnings = outcome.warnings;
    line += warnings.empty() ? "；没有警告" : "；警告 " + std::to_string(warnings.size()) + " 条";
    line += "；用时 " + seconds(std::chrono::steady_clock::now() - start_) + " 秒";
    for (std::size_t i = 0; i < warnings.size() && i < kWarningsListed; ++i)
      line += "\n  警告：" + warnings[i];
    if (warnings.size() > kWarningsListed)
      line += "\n  …另有 " + std::to_string(warnings.size() - kWarningsListed) + " 条（见上文）";
    terminal_.result(line);
  }

  const JobInput& input_;
  const JobSettings& settings_;
  Terminal& terminal_;
  const std::string name_;
  const std::string prefix_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

int runWorkbookJob(const JobInput& input, const JobSettings& settings, Terminal& terminal,
                   QuestionTurns* turns, std::size_t turn) {
  const std::string name = input.path.empty() ? "内置示例" : displayName(input.path);
  // Whatever happens, the next workbook may ask its questions afterwards.
  struct PassAtEnd {
    QuestionTurns* turns;
    std::size_t turn;
    ~PassAtEnd() {
      if (turns) turns->pass(turn);
    }
  } passAtEnd{turns, turn};
  std::string what;
  try {
    return TerminalJob(input, settings, terminal).run(turns, turn);
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
    what = "未知异常";
  }
  terminal.message("内部错误（" + name + "）：" + what + "。请把工作簿和这条消息交给维护者。");
  terminal.result(name + "：未完成（退出码 " + std::to_string(kExitInternal) + "）");
  return kExitInternal;
}

}  // namespace valdrex::cli
