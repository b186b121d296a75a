// One workbook of `valdrex run` on the terminal: the workbook job with its findings, messages
// and summary told.
#pragma once

#include <optional>
#include <string>

#include "cli/terminal.h"
#include "cli/terminal_ui.h"
#include "valdrex/host/date.h"
#include "valdrex/run/statistics_run.h"

namespace valdrex::cli {

// What every workbook of one call shares.
struct JobSettings {
  std::optional<std::string> sheet;      // the score sheet's name; else the first other sheet
  std::optional<TargetAnswers> targets;  // answers of the two target questions
  std::optional<CivilDate> date;         // the date of the title rows; else today
  bool inPlace = false;                  // rewrite the input, after a backup beside it
  bool named = false;                    // several workbooks: lines start with the name
  bool strict = false;                   // a warning refuses the result
  bool force = false;                    // a lock file beside the result is no reason to refuse
  bool charts = true;                    // chart the result on "统计图表"
  AskedReports asked;  // "临界生", "一分一段表", the step of "进退步汇总"
  std::optional<std::string> compare;  // the earlier exam's workbook for "进退步"
};

struct JobInput {
  std::string path;    // empty: the built-in sample workbook
  std::string output;  // where the result goes (ignored in place)
};

// Runs one workbook and returns its exit status (exit_codes.h): checks it as `valdrex check`
// does and tells every finding, refuses a workbook whose statistics cannot be right, runs the
// statistics and writes the result. Messages go to the terminal's error lines, the summary to its
// result lines. Target questions on the terminal take `turn` of `turns`. Never throws.
int runWorkbookJob(const JobInput& input, const JobSettings& settings, Terminal& terminal,
                   QuestionTurns* turns = nullptr, std::size_t turn = 0);

}  // namespace valdrex::cli
