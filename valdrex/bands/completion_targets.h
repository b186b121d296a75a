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

// The largest second target that works for `classes` classes: the tier label counts
// classes × target students in a 16-bit whole number.
int16_t largestSecondTarget(int classes);

// Asks for both targets until they are whole numbers with 0 < first <= second <=
// largestSecondTarget(classes), telling the teacher about each rejected pair. Empty when the
// teacher cancels either box.
std::optional<CompletionTargets> askCompletionTargets(host::Ui& ui, int classes);

}  // namespace valdrex
