#include "cli/check_command.h"

#include <ostream>

#include "cli/exit_codes.h"
#include "cli/workbook_io.h"
#include "valdrex/job/workbook_check.h"
#include "valdrex/job/workbook_files.h"

namespace valdrex::cli {

int checkCommand(const std::string& path, const std::optional<std::string>& sheet,
                 std::ostream& out, std::ostream& err) {
  auto wb = readWorkbookOrTell(path, err);
  if (!wb) return kExitUnreadable;
  const CheckReport report = checkWorkbook(*wb, sheet);
  for (const std::string& line : report.layout) out << line << '\n';
  for (const Finding& f : report.findings) out << f.place << "：" << f.text << '\n';
  if (report.findings.empty()) {
    out << "没有发现问题。\n";
    return kExitOk;
  }
  out << "发现 " << report.findings.size() << " 个问题。\n";
  return kExitProblem;
}

}  // namespace valdrex::cli
