#include "valdrex/bands/completion_targets.h"

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/number_text.h"

namespace valdrex {

std::optional<CompletionTargets> askCompletionTargets(host::Ui& ui) {
  const std::string title = messageTitle("完成率统计");
  for (;;) {
    // A cancelled box is the teacher's way out; without it a run could never end here.
    auto first = ui.inputBox(std::string(kFirstTargetPrompt), title, "5");
    if (!first) return std::nullopt;
    const int16_t t1 = toInteger(leadingNumber(*first));
    auto second = ui.inputBox(std::string(kSecondTargetPrompt), title, "20");
    if (!second) return std::nullopt;
    const int16_t t2 = toInteger(leadingNumber(*second));
    // A target below 1 would make the tier labels and rates meaningless.
    if (t1 >= 1 && t2 >= 1 && t1 <= t2) return CompletionTargets{t1, t2};
    ui.messageBox("输入有误！", host::MessageStyle::plain, messageTitle());
  }
}

}  // namespace valdrex
