// What would make a workbook's statistics wrong or fail, found without running or writing it.
#pragma once

#include <optional>
#include <string>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/outcome/check_finding.h"

namespace valdrex {

// The score sheet is `sheet`, or the first sheet that is neither the property sheet nor a report
// sheet. The workbook's cells are only read.
CheckReport checkWorkbook(host::MemoryWorkbook& wb, const std::optional<std::string>& sheet);

}  // namespace valdrex
