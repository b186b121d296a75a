// The dialogs of one workbook's run on the terminal: messages printed, questions answered from
// the command line, the terminal, or their defaults.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/terminal.h"
#include "valdrex/bands/completion_targets.h"
#include "valdrex/job/session/ready_dialogs.h"

namespace valdrex::cli {

// Workbooks run side by side, but their target questions come in the order of the command line:
// a workbook asks once every earlier one has had its turn (asked, or ended without asking).
class QuestionTurns {
 public:
  explicit QuestionTurns(std::size_t workbooks) : passed_(workbooks, false) {}
  void waitFor(std::size_t turn);
  void pass(std::size_t turn);

 private:
  std::mutex mutex_;
  std::condition_variable turnPassed_;
  std::vector<bool> passed_;
};

class TerminalUi final : public JobDialogs {
 public:
  // `prefix` starts every line (the workbook's name when several run at once).
  TerminalUi(Terminal& terminal, std::string prefix, std::optional<TargetAnswers> targets);

  // Prints "【title】prompt". On an interactive terminal a Yes/No question is asked; otherwise
  // the box's default button is pressed.
  host::Button messageBox(const std::string& prompt, host::MessageStyle style,
                          const std::string& title) override;
  // Answered by the command line's targets, else by the terminal (Enter takes the default, the
  // end of input cancels), else by the default. Without a terminal a question asked a second
  // time (its answer was rejected) is cancelled, so that a run never loops. On the terminal a
  // target that is no whole number in range is refused at once and asked again.
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;

  // Target questions on the terminal wait for `turn` of `turns`, and pass it once answered.
  void takeTurns(QuestionTurns* turns, std::size_t turn);
  // Lets the next workbook ask; done at the latest when the run ends.
  void passTurn();
  // Targets the terminal takes go up to `largest`: what the workbook's classes allow.
  void limitTargets(long largest) { largest_ = largest; }

  // "  位置：成绩表!D7" under the message that pointed there.
  void showPlace(const std::string& place) override;

 private:
  void say(const std::string& line);
  std::optional<std::string> askTarget(const std::string& prompt, const std::string& question,
                                       const std::string& defaultText);

  Terminal& terminal_;
  std::string prefix_;
  std::optional<TargetAnswers> targets_;
  std::map<std::string, int> asked_;
  QuestionTurns* turns_ = nullptr;
  std::size_t turn_ = 0;
  bool waited_ = false;
  long firstTarget_ = 1;  // the accepted first answer bounds the second
  long largest_ = kMaxTarget;
};

}  // namespace valdrex::cli
