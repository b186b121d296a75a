// The message that ends a loading step which met a bound of the data model.
#pragma once

#include <string>

#include "valdrex/host/ui.h"

namespace valdrex {

inline const std::string kLimitsMessage =
    "程序运行错误！每班人数不能超过100，班数不能超过20，统计科目不能超过12。";
inline const std::string kMessageTitle = "Quillan提示";

// Shows the limits message (critical icon, OK).
void showLimitsMessage(host::Ui& ui);

}  // namespace valdrex
