// `valdrex run`: the statistics of one or more workbooks, or of the built-in sample.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/terminal.h"
#include "cli/terminal_job.h"

namespace valdrex::cli {

struct RunOptions {
  std::vector<std::string> workbooks;  // none: the built-in sample
  std::optional<std::string> output;   // only with at most one workbook
  JobSettings settings;                // `named` is decided here
};

// The output of the built-in sample's run when no -o is given, in the current folder.
inline const std::string kSampleResult = "valdrex示例-统计结果.xlsx";

// Checks the options that depend on each other (bad ones: kExitBadArguments with a message),
// then runs the workbooks in parallel, at most one per core. Returns the worst exit status.
int runCommand(RunOptions options, Terminal& terminal);

// "T1,T2" (or "T1，T2", spaces allowed around each): two whole numbers with
// 1 <= T1 <= T2 <= 32767; nullopt otherwise.
std::optional<TargetAnswers> parseTargets(const std::string& text);
// "YYYY-MM-DD", a real calendar date; nullopt otherwise.
std::optional<CivilDate> parseDate(const std::string& text);

}  // namespace valdrex::cli
