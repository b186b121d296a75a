#include "valdrex/bands/completion_targets.h"

#include <algorithm>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/number_text.h"

namespace valdrex {

int16_t largestSecondTarget(int classes) {
  return static_cast<int16_t>(kMaxInteger / std::max(classes, 1));
}

std::optional<CompletionTargets> askCompletionTargets(host::Ui& ui, int classes) {
  const std::string title = messageTitle("完成率统计");
  const double largest = largestSecondTarget(classes);
  for (;;) {
    // A cancelled box is the teacher's way out; without it a run could never end here.
    auto first = ui.inputBox(std::string(kFirstTargetPrompt), title, "5");
    if (!first) return std::nullopt;
    const double t1 = roundHalfEven(leadingNumber(*first));
    auto second = ui.inputBox(std::string(kSecondTargetPrompt), title, "20");
    if (!second) return std::nullopt;
    const double t2 = roundHalfEven(leadingNumber(*second));
    // A target below 1 would make the tier labels and rates meaningless; one above the largest
    // would overflow the tier label and leave the sheet unwritten.
    if (t1 >= 1 && t1 <= t2 && t2 <= largest)
      return CompletionTargets{toInteger(t1), toInteger(t2)};
    ui.messageBox("输入有误！", host::MessageStyle::plain, messageTitle());
  }
}

}  // namespace valdrex
