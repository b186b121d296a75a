#include "cli/check_command.h"

#include <ostream>

#include "cli/advice_words.h"
#include "cli/exit_codes.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex::cli {

int checkCommand(const std::string& path, const RunSettings& asked, std::ostream& out,
                 std::ostream& err) {
  JobOutcome failure;
  auto job = WorkbookJob::open(path, failure);
  if (!job) {
    err << problemLine(failure) << '\n';
    return static_cast<int>(failure.status);
  }
  const JobOutcome& report = job->check(asked);
  for (const std::string& line : report.layout) out << line << '\n';
  for (const Finding& f : report.findings) out << findingLine(f) << '\n';
  if (report.findings.empty()) {
    out << "没有发现问题。\n";
    return kExitOk;
  }
  out << "发现 " << report.findings.size() << " 个问题。\n";
  return kExitProblem;
}

}  // namespace valdrex::cli
