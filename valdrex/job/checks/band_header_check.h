// Checks that every band a teacher wrote into the band sheets' header rows is one the counters
// understand; the run would stop at the first that is not.
#pragma once

#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/outcome/check_finding.h"

namespace valdrex {

// vd must have the score sheet's layout and classes loaded: the header rows are found from them.
void checkBandHeaders(host::MemoryWorkbook& wb, ValdrexCls& vd, CheckReport& report);

}  // namespace valdrex
