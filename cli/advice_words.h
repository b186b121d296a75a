// The library's advice in the command's words: its subcommands and options.
#pragma once

#include <string>
#include <string_view>

#include "valdrex/job/workbook_job.h"

namespace valdrex::cli {

// The words that continue a text carrying `advice`; `command` is the subcommand whose usage
// helps with its options.
std::string adviceWords(Advice advice, std::string_view command = "run");

// "成绩表!D7：…" with its advice.
std::string findingLine(const Finding& finding);
// The outcome's problem with its advice.
std::string problemLine(const JobOutcome& outcome, std::string_view command = "run");

}  // namespace valdrex::cli
