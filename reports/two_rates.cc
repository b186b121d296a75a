#include "reports/two_rates.h"
#include "host/failure.h"
namespace valdrex {
void 两率一分(GradeBook&, host::Workbook&, host::Worksheet&, host::Clock&) { throw Failure(FailureKind::HostError, "not built yet"); }
}  // namespace valdrex
