#include "bands/counters.h"
#include "host/failure.h"
namespace valdrex {
Variant 计数器(const GradeBook&, int16_t&, int16_t&, std::string&) { throw Failure(FailureKind::HostError, "not built yet"); }
Variant 计数器2(const GradeBook&, int16_t&, int16_t&, std::string&) { throw Failure(FailureKind::HostError, "not built yet"); }
}  // namespace valdrex
