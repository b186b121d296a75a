#include "reports/class_tables.h"
#include "host/failure.h"
namespace valdrex {
void 各班成绩表(GradeBook&, host::Worksheet&, bool) {}
}  // namespace valdrex
