#include "cli/terminal_ui.h"

#include <algorithm>
#include <cctype>

namespace valdrex::cli {

namespace {

// A whole number from `low` to `high`, as the completion targets must be.
bool validTarget(const std::string& text, long low, long high) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  const long value = std::stol(text);
  return validTargets(low, value) && value <= high;
}

}  // namespace

void QuestionTurns::waitFor(std::size_t turn) {
  std::unique_lock lock(mutex_);
  turnPassed_.wait(lock, [&] {
    return std::all_of(passed_.begin(), passed_.begin() + std::min(turn, passed_.size()),
                       [](bool passed) { return passed; });
  });
}

void QuestionTurns::pass(std::size_t turn) {
  {
    std::lock_guard lock(mutex_);
    if (turn < passed_.size()) passed_[turn] = true;
  }
  turnPassed_.notify_all();
}

TerminalUi::TerminalUi(Terminal& terminal, std::string prefix, std::optional<TargetAnswers> targets)
    : terminal_(terminal), prefix_(std::move(prefix)), targets_(targets) {}

void TerminalUi::say(const std::string& line) { terminal_.message(prefix_ + line); }

host::Button TerminalUi::messageBox(const std::string& prompt, host::MessageStyle style,
                                    const std::string& title) {
  say("【" + title + "】" + prompt);
  if (!host::asksYesNo(style)) return host::Button::ok;
  if (auto answer = terminal_.ask(prefix_ + "（是/否，回车为“是”）：")) {
    if (*answer == "是" || *answer == "y" || *answer == "Y" || *answer == "yes")
      return host::Button::yes;
    if (*answer == "否" || *answer == "n" || *answer == "N" || *answer == "no")
      return host::Button::no;
  }
  return host::Button::yes;
}

std::optional<std::string> TerminalUi::inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) {
  const int times = ++asked_[prompt];
  const std::string head = "【" + title + "】" + prompt;

  const bool isTarget = prompt == kFirstTargetPrompt || prompt == kSecondTargetPrompt;
  if (targets_ && isTarget && times == 1) {
    int16_t value = prompt == kFirstTargetPrompt ? targets_->first : targets_->second;
    say(head + " " + std::to_string(value) + "（--targets）");
    return std::to_string(value);
  }
  if (terminal_.interactive() && isTarget && !targets_) return askTarget(prompt, head, defaultText);
  if (terminal_.interactive() && !(targets_ && isTarget)) {
    if (auto answer = terminal_.ask(prefix_ + head + "（回车取 " + defaultText + "）：")) {
      return answer->empty() ? defaultText : *answer;
    }
    say("（输入结束，已取消）");
    return std::nullopt;
  }
  if (times > 1) {
    say(head + " 已取消（答案被拒绝，不再重复询问）");
    return std::nullopt;
  }
  say(head + " " + defaultText + "（默认值）");
  return defaultText;
}

std::optional<std::string> TerminalUi::askTarget(const std::string& prompt,
                                                 const std::string& question,
                                                 const std::string& defaultText) {
  if (turns_ && !waited_) {
    turns_->waitFor(turn_);
    waited_ = true;
  }
  const bool first = prompt == kFirstTargetPrompt;
  const long low = first ? 1 : firstTarget_;
  for (;;) {
    auto answer = terminal_.ask(prefix_ + question + "（回车取 " + defaultText + "）：");
    if (!answer) {
      say("（输入结束，已取消）");
      passTurn();
      return std::nullopt;
    }
    const std::string value = answer->empty() ? defaultText : *answer;
    if (validTarget(value, low, largest_)) {
      if (first)
        firstTarget_ = std::stol(value);
      else
        passTurn();
      return value;
    }
    say("“" + value + "”不是有效的指标数。请输入 " + std::to_string(low) + " 到 " +
        std::to_string(largest_) + " 之间的整数，例如 " +
        (validTarget(defaultText, low, largest_) ? defaultText : std::to_string(low)) +
        (first ? "" : "（不能少于一档）"));
  }
}

void TerminalUi::takeTurns(QuestionTurns* turns, std::size_t turn) {
  turns_ = turns;
  turn_ = turn;
}

void TerminalUi::passTurn() {
  if (turns_) turns_->pass(turn_);
}

void TerminalUi::showPlace(const std::string& place) { say("  位置：" + place); }

}  // namespace valdrex::cli
