#include "reports/formatting.h"
#include "host/failure.h"
namespace valdrex {
Variant 加边框(host::Worksheet&, const Variant&, const Variant&, const Variant&, const Variant&) { throw Failure(FailureKind::HostError, "not built yet"); }
void 复制工作表(host::Worksheet&, host::Worksheet&) {}
}  // namespace valdrex
