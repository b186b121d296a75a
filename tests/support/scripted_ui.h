// A Ui and a Clock for tests and unattended runs: answers come from a queue, every dialog is kept.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/host/ui.h"

namespace valdrex::host {

class ScriptedUi final : public Ui {
 public:
  struct Dialog {
    enum Kind { Message, Input } kind;
    std::string prompt;
    std::string title;
    MessageStyle style = MessageStyle::plain;  // message boxes
    std::string defaultText;                   // input boxes
  };

  // Answers for the next input boxes, in order; nullopt answers as a cancel. When the queue is
  // empty an input box answers its default text.
  void queueInput(std::optional<std::string> answer) { inputs_.push_back(std::move(answer)); }
  // Buttons for the next message boxes; when empty, OK (or Yes for a Yes/No box).
  void queueButton(Button button) { buttons_.push_back(button); }

  Button messageBox(const std::string& prompt, MessageStyle style,
                    const std::string& title) override {
    dialogs_.push_back({Dialog::Message, prompt, title, style, ""});
    if (!buttons_.empty()) {
      Button b = buttons_.front();
      buttons_.pop_front();
      return b;
    }
    return asksYesNo(style) ? Button::yes : Button::ok;
  }

  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override {
    dialogs_.push_back({Dialog::Input, prompt, title, MessageStyle::plain, defaultText});
    if (inputs_.empty()) return defaultText;
    auto answer = std::move(inputs_.front());
    inputs_.pop_front();
    return answer;
  }

  const std::vector<Dialog>& dialogs() const { return dialogs_; }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& d : dialogs_)
      if (d.kind == Dialog::Message) out.push_back(d.prompt);
    return out;
  }

 private:
  std::deque<std::optional<std::string>> inputs_;
  std::deque<Button> buttons_;
  std::vector<Dialog> dialogs_;
};

// Records the command lines it is asked to start, and starts nothing.
class RecordingLauncher final : public Launcher {
 public:
  void start(const std::vector<std::string>& command) override { commands.push_back(command); }
  std::vector<std::vector<std::string>> commands;
};

class FixedClock final : public Clock {
 public:
  explicit FixedClock(CivilDate date = {2026, 12, 6}) : date_(date) {}
  CivilDate today() override { return date_; }

 private:
  CivilDate date_;
};

}  // namespace valdrex::host
