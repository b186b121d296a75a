// The message that ends a loading step which met a bound of the data model.
#pragma once

#include <string>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/ui.h"

namespace valdrex {

inline const std::string kLimitsMessage =
    "程序运行错误！每班人数不能超过" + std::to_string(ModelLimits::studentsPerClass) +
    "，班数不能超过" + std::to_string(ModelLimits::classes) + "，统计科目不能超过" +
    std::to_string(ModelLimits::subjects) + "。";

// Shows the limits message (critical icon, OK).
void showLimitsMessage(host::Ui& ui);

}  // namespace valdrex
