// Checks of the property sheet "属性表": lines, weights and the class rows of the teachers.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/worksheet.h"
#include "valdrex/job/outcome/check_finding.h"

namespace valdrex {

// `subjects` is the score sheet's subject count; `classNames` its classes in order.
void checkPropertySheet(const host::Worksheet& sx, int subjects,
                        const std::vector<std::string>& classNames, CheckReport& report);

}  // namespace valdrex
