#include "cli/workbook_job.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include "cli/desktop_launcher.h"
#include "cli/exit_codes.h"
#include "cli/output_paths.h"
#include "cli/sample_workbook.h"
#include "cli/system_clock.h"
#include "cli/workbook_files.h"
#include "cli/workbook_run.h"
#include "cli/workbook_sheets.h"
#include "host/application.h"
#include "host/scripted_ui.h"
#include "io/write_limits.h"
#include "io/xlsx_reader.h"
#include "io/xlsx_writer.h"

namespace valdrex::cli {

namespace {

std::string seconds(std::chrono::steady_clock::duration d) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", std::chrono::duration<double>(d).count());
  return text;
}

class Job {
 public:
  Job(const JobInput& input, const JobSettings& settings, Terminal& terminal)
      : input_(input),
        settings_(settings),
        terminal_(terminal),
        name_(input.path.empty() ? "内置示例" : displayName(input.path)),
        prefix_(settings.named ? "[" + name_ + "] " : "") {}

  int run() {
    auto wb = load();
    if (!wb) return status_;
    host::MemorySheet* scoreSheet = chooseScoreSheet(*wb);
    if (!scoreSheet) return status_;
    if (std::string taken = reportNameWithoutCells(*wb); !taken.empty()) {
      fail(kExitProblem, "工作簿 " + name_ + " 里的“" + taken +
                             "”是图表工作表（或对话框工作表），不能写入报告。它会原样保留；请把它改名后"
                             "重试，报告表会重新添加。");
      return status_;
    }
    prepareSheets(*wb);

    TerminalUi ui(terminal_, prefix_, settings_.targets);
    ui.watch(wb.get());
    SystemClock systemClock;
    std::optional<host::FixedClock> fixedClock;
    if (settings_.date) fixedClock.emplace(*settings_.date);
    host::Clock& clock = fixedClock ? static_cast<host::Clock&>(*fixedClock) : systemClock;
    DesktopLauncher launcher;
    host::BasicApplication app(ui, clock, launcher, wb.get());

    const RunCounts counts = runStatistics(*wb, *scoreSheet, app);
    ui.finish();
    warnings_ += ui.problems() + ui.cancelled();
    if (!ui.closed()) say("警告：统计没有正常结束（没有看到完成提示）。");

    const std::string written = save(*wb);
    if (written.empty()) return status_;
    if (ui.problems() > 0) status_ = worseExit(status_, kExitProblem);
    summarise(counts, written);
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
      fail(kExitUnreadable,
           "工作簿 " + name_ + " 里找不到成绩表：除“属性表”和报告表外没有别的工作表（现有：" +
               sheetList(wb) + "）。请加入成绩表，或用 valdrex template 生成模板。");
    return nullptr;
  }

  void prepareSheets(host::MemoryWorkbook& wb) {
    if (!wb.find(kPropertySheet)) {
      ++warnings_;
      say("警告：工作簿里没有“属性表”，满分、分数线和权重都会按 0 处理。请加入属性表（可参照 "
          "valdrex template 生成的模板）。");
    }
    for (const std::string& name : addMissingReportSheets(wb)) {
      ++warnings_;
      say("警告：工作簿里没有报告表“" + name + "”，已在末尾添加。");
    }
  }

  // The path written, or empty after a failure.
  std::string save(host::MemoryWorkbook& wb) {
    const std::string target = settings_.inPlace ? input_.path : input_.output;
    try {
      io::refuseUnwritable(wb, target);  // before the backup: nothing is written then
      if (settings_.inPlace) backup_ = copyAsBackup(input_.path);
      io::writeWorkbook(wb, target);
      return target;
    } catch (const io::FileError& e) {
      fail(kExitUnwritable, writeProblem(e.what()));
      return "";
    }
  }

  void summarise(const RunCounts& counts, const std::string& written) {
    std::string line = name_ + "：" + std::to_string(counts.classes) + " 个班，" +
                       std::to_string(counts.students) + " 名学生，" +
                       std::to_string(counts.subjects) + " 个科目；写入 " +
                       std::to_string(counts.reportSheets) + " 张报告表 → " + written;
    if (!backup_.empty()) line += "（原文件备份为 " + backup_ + "）";
    line += "；警告 " + std::to_string(warnings_) + " 条；用时 " +
            seconds(std::chrono::steady_clock::now() - start_) + " 秒";
    terminal_.result(line);
  }

  const JobInput& input_;
  const JobSettings& settings_;
  Terminal& terminal_;
  const std::string name_;
  const std::string prefix_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  int status_ = kExitOk;
  int warnings_ = 0;
  std::string backup_;  // the name the in-place backup took
};

}  // namespace

int runWorkbookJob(const JobInput& input, const JobSettings& settings, Terminal& terminal) {
  const std::string name = input.path.empty() ? "内置示例" : displayName(input.path);
  std::string what;
  try {
    return Job(input, settings, terminal).run();
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
