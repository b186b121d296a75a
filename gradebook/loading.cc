#include "gradebook/loading.h"
#include "host/failure.h"
namespace valdrex {
void 载入班级(GradeBook&, host::Worksheet&, host::Ui&) { throw Failure(FailureKind::HostError, "not built yet"); }
int16_t F班级数(GradeBook&, host::Worksheet&, host::Worksheet&, host::Ui&) { throw Failure(FailureKind::HostError, "not built yet"); }
void 载入成绩(GradeBook&, host::Worksheet&, host::Worksheet*, host::Ui&) { throw Failure(FailureKind::HostError, "not built yet"); }
void 求和(GradeBook&) { throw Failure(FailureKind::HostError, "not built yet"); }
}  // namespace valdrex
