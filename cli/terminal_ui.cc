#include "cli/terminal_ui.h"

#include "cli/cell_name.h"

namespace valdrex::cli {

TerminalUi::TerminalUi(Terminal& terminal, std::string prefix, std::optional<TargetAnswers> targets)
    : terminal_(terminal), prefix_(std::move(prefix)), targets_(targets) {}

void TerminalUi::say(const std::string& line) { terminal_.message(prefix_ + line); }

int TerminalUi::messageBox(const std::string& prompt, int style, const std::string& title) {
  tellPlace();
  say("【" + title + "】" + prompt);
  if (prompt == kClosingMessage)
    closed_ = true;
  else
    ++problems_;
  if (watched_) beforeSelection_ = selections();

  const int buttons = style & 0xF;
  if (buttons != 3 && buttons != 4) return host::kButtonOk;
  const bool noIsDefault = (style & 0x100) != 0;
  if (auto answer = terminal_.ask(
          prefix_ + (noIsDefault ? "（是/否，回车为“否”）：" : "（是/否，回车为“是”）："))) {
    if (*answer == "是" || *answer == "y" || *answer == "Y" || *answer == "yes")
      return host::kButtonYes;
    if (*answer == "否" || *answer == "n" || *answer == "N" || *answer == "no")
      return host::kButtonNo;
  }
  return noIsDefault ? host::kButtonNo : host::kButtonYes;
}

std::optional<std::string> TerminalUi::inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) {
  tellPlace();
  const int times = ++asked_[prompt];
  const std::string head = "【" + title + "】" + prompt;

  const bool isTarget = prompt == kFirstTargetPrompt || prompt == kSecondTargetPrompt;
  if (targets_ && isTarget && times == 1) {
    int16_t value = prompt == kFirstTargetPrompt ? targets_->first : targets_->second;
    say(head + " " + std::to_string(value) + "（--targets）");
    return std::to_string(value);
  }
  if (terminal_.interactive() && !(targets_ && isTarget)) {
    if (auto answer = terminal_.ask(prefix_ + head + "（回车取 " + defaultText + "）：")) {
      return answer->empty() ? defaultText : *answer;
    }
    ++cancelled_;
    say("（输入结束，已取消）");
    return std::nullopt;
  }
  if (times > 1) {
    ++cancelled_;
    say(head + " 已取消（答案被拒绝，不再重复询问）");
    return std::nullopt;
  }
  say(head + " " + defaultText + "（默认值）");
  return defaultText;
}

void TerminalUi::watch(host::MemoryWorkbook* wb) {
  watched_ = wb;
  beforeSelection_.reset();
}

TerminalUi::Selections TerminalUi::selections() const {
  Selections now;
  for (std::size_t i = 0; i < watched_->sheetCount(); ++i)
    now.push_back(watched_->sheetAt(i).selection());
  return now;
}

void TerminalUi::tellPlace() {
  if (!watched_ || !beforeSelection_) return;
  const Selections& before = *beforeSelection_;
  const Selections now = selections();
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (!now[i] || (i < before.size() && before[i] == now[i])) continue;
    say("  位置：" + sheetCellName(watched_->sheetAt(i).name(), now[i]->first, now[i]->second));
  }
  beforeSelection_.reset();
}

void TerminalUi::finish() { tellPlace(); }

}  // namespace valdrex::cli
