#include "gradebook/ranking_functions.h"
#include "host/failure.h"
namespace valdrex {
Variant 排名(const Variant&, const Variant&, const Variant&, const Variant&, const Variant&, host::Worksheet&) { throw Failure(FailureKind::HostError, "not built yet"); }
Variant 新排名(const Variant&, const Variant&, const Variant&, const std::string&, host::Workbook&) { throw Failure(FailureKind::HostError, "not built yet"); }
}  // namespace valdrex
