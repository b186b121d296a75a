// Checks that every band a teacher wrote into the band sheets' header rows is one the counters
// understand; the run would stop at the first that is not.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/outcome/check_finding.h"

namespace valdrex {

// g must have the score sheet's layout and classes loaded: the header rows are found from them.
void checkBandHeaders(host::MemoryWorkbook& wb, const GradeBook& g, CheckReport& report);

}  // namespace valdrex
