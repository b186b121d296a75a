// The two per-class targets of the completion rates, as the teacher types them in.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "valdrex/host/ui.h"

namespace valdrex {

// The two questions, as callers recognise them.
inline constexpr std::string_view kFirstTargetPrompt = "请输入每班一档完成指标数！";
inline constexpr std::string_view kSecondTargetPrompt = "请输入每班二档完成指标数！";

struct CompletionTargets {
  int16_t first = 0;   // students per class expected in the first tier
  int16_t second = 0;  // ... and in the wider second tier
};

// Asks for both targets until they are whole numbers with 0 < first <= second, telling the
// teacher about each rejected pair. Empty when the teacher cancels either box. An answer beyond
// the 16-bit range fails with Overflow.
std::optional<CompletionTargets> askCompletionTargets(host::Ui& ui);

}  // namespace valdrex
