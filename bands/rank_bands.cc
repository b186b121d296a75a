#include "bands/rank_bands.h"
#include "host/failure.h"
namespace valdrex {
void 名次分段统计(GradeBook&, host::Worksheet&, host::Ui&, host::Clock&) { throw Failure(FailureKind::HostError, "not built yet"); }
}  // namespace valdrex
