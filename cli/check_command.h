// `valdrex check`: reports what would make a workbook's statistics wrong or fail.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "valdrex/job/workbook_job.h"

namespace valdrex::cli {

// The layout and one line per finding to `out`; 0 when nothing was found, 1 when something was,
// 3 when the file could not be read. The file is never written.
// `asked`: the score sheet, and the sheets written only when asked whose needs are checked too.
int checkCommand(const std::string& path, const RunSettings& asked, std::ostream& out,
                 std::ostream& err);

}  // namespace valdrex::cli
