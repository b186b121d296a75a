#include "cli/workbook_job.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "valdrex/job/desktop_launcher.h"
#include "cli/exit_codes.h"
#include "valdrex/job/output_paths.h"
#include "valdrex/job/result_edits.h"
#include "valdrex/job/sample_workbook.h"
#include "valdrex/job/score_sheet_check.h"
#include "valdrex/job/system_clock.h"
#include "valdrex/job/workbook_check.h"
#include "valdrex/job/workbook_files.h"
#include "valdrex/job/workbook_run.h"
#include "valdrex/job/workbook_sheets.h"
#include "valdrex/host/application.h"
#include "valdrex/host/scripted_ui.h"
#include "valdrex/io/write_limits.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"

namespace valdrex::cli {

namespace {

std::string seconds(std::chrono::steady_clock::duration d) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", std::chrono::duration<double>(d).count());
  return text;
}

// A finding as told before the run and in the closing summary.
std::string findingLine(const Finding& f) { return f.place + "：" + f.text; }

// Student rows the loading leaves out: those without a class, and those below the first row
// whose columns B and C are both empty (where the list ends).
struct LeftOut {
  int blankClass = 0;
  int belowBlankRow = 0;
};

LeftOut leftOutRows(const host::MemorySheet& sh) {
  const ScoreSheetShape shape = scoreSheetShape(sh);
  LeftOut out;
  out.blankClass = shape.students;
  for (const auto& entry : shape.classes) out.blankClass -= entry.second;
  const int end = 4 + shape.students;  // the row that ended the list
  const int last = sh.usedRange().row2;
  for (int row = end + 1; row <= last; ++row)
    if (!textOf(sh.cell(row, 2)).empty() || !textOf(sh.cell(row, 3)).empty()) ++out.belowBlankRow;
  return out;
}

// Warnings listed again in the summary; the rest are only counted there.
constexpr std::size_t kWarningsListed = 20;

class Job {
 public:
  Job(const JobInput& input, const JobSettings& settings, Terminal& terminal)
      : input_(input),
        settings_(settings),
        terminal_(terminal),
        name_(input.path.empty() ? "内置示例" : displayName(input.path)),
        prefix_(settings.named ? "[" + name_ + "] " : "") {}

  int run(QuestionTurns* turns, std::size_t turn) {
    auto wb = load();
    if (!wb) return status_;
    host::MemorySheet* scoreSheet = chooseScoreSheet(*wb);
    if (!scoreSheet) return status_;
    if (std::string taken = reportNameWithoutCells(*wb); !taken.empty()) {
      fail(kExitProblem,
           "工作簿 " + name_ + " 里的“" + taken +
               "”是图表工作表（或对话框工作表），不能写入报告。它会原样保留；请把它改名后"
               "重试，报告表会重新添加。");
      return status_;
    }
    if (!checkFirst(*wb)) return status_;
    const LeftOut leftOut = leftOutRows(*scoreSheet);
    addMissingReportSheets(*wb);

    TerminalUi ui(terminal_, prefix_, settings_.targets);
    ui.takeTurns(turns, turn);
    ui.watch(wb.get());
    SystemClock systemClock;
    std::optional<host::FixedClock> fixedClock;
    if (settings_.date) fixedClock.emplace(*settings_.date);
    host::Clock& clock = fixedClock ? static_cast<host::Clock&>(*fixedClock) : systemClock;
    DesktopLauncher launcher;
    host::BasicApplication app(ui, clock, launcher, wb.get());

    const RunCounts counts = runStatistics(*wb, *scoreSheet, app);
    ui.finish();
    ui.passTurn();
    for (const std::string& message : ui.problemMessages()) warnings_.push_back(message);
    if (ui.cancelled() > 0) warnings_.push_back("完成率表没有更新：指标数的询问已取消");
    if (!ui.closed()) {
      say("警告：统计没有正常结束（没有看到完成提示）。");
      warnings_.push_back("统计没有正常结束（没有看到完成提示）");
    }
    if (ui.sawLimits()) {
      fail(kExitProblem,
           "没有写入结果：载入时出现了上面的限制提示，统计会少算学生、班级或科目。"
           "请按提示改正工作簿后重试。");
      return status_;
    }
    if (settings_.strict && !warnings_.empty()) {
      refuseStrictly();
      return status_;
    }

    const std::string written = save(*wb, counts);
    if (written.empty()) return status_;
    if (!warnings_.empty()) status_ = worseExit(status_, kExitProblem);
    summarise(counts, leftOut, written);
    return status_;
  }

 private:
  void say(const std::string& line) { terminal_.message(prefix_ + line); }
  void fail(int status, const std::string& line) {
    say(line);
    status_ = worseExit(status_, status);
    terminal_.result(name_ + "：未完成（退出码 " + std::to_string(status) + "）");
  }

  std::unique_ptr<host::MemoryWorkbook> load() {
    if (input_.path.empty()) return sampleWorkbook({});
    try {
      return io::readWorkbook(input_.path);
    } catch (const io::FileError& e) {
      fail(kExitUnreadable, readProblem(e.what()));
      return nullptr;
    }
  }

  host::MemorySheet* chooseScoreSheet(host::MemoryWorkbook& wb) {
    host::MemorySheet* sheet = findScoreSheet(wb, settings_.sheet);
    if (sheet) return sheet;
    if (settings_.sheet)
      fail(kExitBadArguments, "工作簿 " + name_ + " 里没有名为“" + *settings_.sheet +
                                  "”的工作表（现有：" + sheetList(wb) +
                                  "）。请用 --sheet 指定成绩表的名字。");
    else
      fail(kExitProblem,
           "工作簿 " + name_ + " 里找不到成绩表：除“属性表”和报告表外没有别的工作表（现有：" +
               sheetList(wb) + "）。请加入成绩表，或用 valdrex template 生成模板。");
    return nullptr;
  }

  // What `valdrex check` finds, told before the run. False when the run must not go on: the
  // loading would stop, so every count after it would be too small.
  bool checkFirst(host::MemoryWorkbook& wb) {
    const CheckReport report = checkWorkbook(wb, settings_.sheet);
    const Finding* stop = nullptr;
    int stops = 0;
    for (const Finding& f : report.findings) {
      const char* kind = f.stopsLoading ? "错误：" : f.wrongResult ? "警告：" : "注意：";
      say(kind + findingLine(f));
      if (f.wrongResult && !f.stopsLoading) warnings_.push_back(findingLine(f));
      if (f.stopsLoading && stops++ == 0) stop = &f;
    }
    if (stop) {
      fail(kExitProblem, "没有写入结果：统计会在载入时停下，结果不会正确（" + findingLine(*stop) +
                             (stops > 1 ? "，共 " + std::to_string(stops) + " 处" : "") +
                             "）。请改正上面标为“错误”的地方后重试。");
      return false;
    }
    if (settings_.strict && !warnings_.empty()) {
      refuseStrictly();
      return false;
    }
    return true;
  }

  void refuseStrictly() {
    fail(kExitProblem, "没有写入结果：有 " + std::to_string(warnings_.size()) +
                           " 条警告，--strict 不允许带着警告写入。请改正上面列出的问题后重试，或"
                           "去掉 --strict。");
  }

  // The path written, or empty after a failure.
  std::string save(host::MemoryWorkbook& wb, const RunCounts& counts) {
    const std::string target = settings_.inPlace ? input_.path : input_.output;
    try {
      io::refuseUnwritable(wb, target);  // before the backup: nothing is written then
      if (settings_.inPlace)
        backup_ = copyAsBackup(input_.path);
      else
        keepEditedResult(wb, counts);
      io::writeWorkbook(wb, target);
      return target;
    } catch (const io::FileError& e) {
      fail(kExitUnwritable, writeProblem(e.what()));
      return "";
    }
  }

  // A result the teacher changed after it was written is kept as a backup, not replaced.
  void keepEditedResult(const host::MemoryWorkbook& wb, const RunCounts& counts) {
    std::error_code ec;
    if (!std::filesystem::exists(input_.output, ec)) return;
    std::string what;
    try {
      // Band sheets whole, every other sheet only its title row: the ranking sheets are large.
      auto earlier = io::readWorkbookTop(input_.output, [](const std::string& sheet) {
        if (sheet == "分数段统计" || sheet == "名次段统计") return host::kMaxRows;
        return isReportSheet(sheet) ? 1 : 0;
      });
      const auto edits = editedResultCells(*earlier, wb, counts.classes, counts.subjects);
      if (edits.empty()) return;
      what = "改过的格有 " + std::to_string(edits.size()) + " 处，如 " + edits[0].place + "：“" +
             edits[0].before + "”，这次写入“" + edits[0].after + "”";
    } catch (const io::FileError&) {
      what = "无法读出它的内容，不能确认有没有改过";
    }
    backup_ = copyAsBackup(input_.output);
    status_ = worseExit(status_, kExitProblem);
    say("注意：已有的结果 " + displayName(input_.output) + " 与这次写入的表头或标题不同（" + what +
        "），可能是在结果里改过。旧结果已备份为 " + backup_ +
        "。分段表头请在输入的工作簿的“分数段统计”“名次段统计”里修改，以后的统计都会沿用。");
  }

  void summarise(const RunCounts& counts, const LeftOut& leftOut, const std::string& written) {
    std::string line = name_ + "：" + std::to_string(counts.classes) + " 个班，" +
                       std::to_string(counts.students) + " 名学生";
    if (const int left = leftOut.blankClass + leftOut.belowBlankRow; left > 0) {
      std::vector<std::string> why;
      if (leftOut.blankClass)
        why.push_back("班级为空 " + std::to_string(leftOut.blankClass) + " 行");
      if (leftOut.belowBlankRow)
        why.push_back("名单中的空行下方 " + std::to_string(leftOut.belowBlankRow) + " 行");
      line += "（另有 " + std::to_string(left) + " 行没有统计：" + why[0] +
              (why.size() > 1 ? "，" + why[1] : "") + "）";
    }
    line += "，" + std::to_string(counts.subjects) + " 个科目；写入 " +
            std::to_string(counts.reportSheets) + " 张报告表 → " + written;
    if (!backup_.empty())
      line += settings_.inPlace ? "（原文件备份为 " + backup_ + "）"
                                : "（旧结果备份为 " + backup_ + "）";
    line += warnings_.empty() ? "；没有警告" : "；警告 " + std::to_string(warnings_.size()) + " 条";
    line += "；用时 " + seconds(std::chrono::steady_clock::now() - start_) + " 秒";
    for (std::size_t i = 0; i < warnings_.size() && i < kWarningsListed; ++i)
      line += "\n  警告：" + warnings_[i];
    if (warnings_.size() > kWarningsListed)
      line += "\n  …另有 " + std::to_string(warnings_.size() - kWarningsListed) + " 条（见上文）";
    terminal_.result(line);
  }

  const JobInput& input_;
  const JobSettings& settings_;
  Terminal& terminal_;
  const std::string name_;
  const std::string prefix_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  int status_ = kExitOk;
  std::vector<std::string> warnings_;  // each makes the result differ from what was meant
  std::string backup_;  // the name the in-place backup or the kept earlier result took
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
    return Job(input, settings, terminal).run(turns, turn);
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
