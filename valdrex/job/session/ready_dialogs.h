// The dialogs and the clock of a run as an embedding provides them, and ready implementations:
// answers from a list, defaults taken silently, a fixed date, the system clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/export.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/date.h"
#include "valdrex/host/ui.h"

namespace valdrex {

// The two completion targets, given instead of answering their questions.
struct TargetAnswers {
  int16_t first = 0;
  int16_t second = 0;
};
inline constexpr long kMaxTarget = kMaxInteger;
// What the targets must be for the completion rates to mean something.
inline bool validTargets(long first, long second) {
  return first >= 1 && first <= second && second <= kMaxTarget;
}

// The host's two dialogs, and the cell a message pointed at.
class VALDREX_API JobDialogs : public host::Ui {
 public:
  // The run selected `place` ("成绩表!D7") after the last message, to show the teacher where.
  virtual void showPlace(const std::string& place) { (void)place; }
};

// Input boxes answered from a list, in order (nullopt cancels), then by their default texts;
// message boxes take their default button (Yes on a Yes/No question). Shows nothing, keeps the
// messages.
class VALDREX_API ListAnswers : public JobDialogs {
 public:
  explicit ListAnswers(std::vector<std::optional<std::string>> answers = {})
      : answers_(std::move(answers)) {}
  host::Button messageBox(const std::string& prompt, host::MessageStyle style,
                          const std::string& title) override;
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;

  struct Message {
    std::string title, text;
  };
  const std::vector<Message>& messages() const { return messages_; }

 private:
  std::vector<std::optional<std::string>> answers_;
  std::vector<Message> messages_;
  std::size_t next_ = 0;
};

// Every question answered by its default, silently.
class VALDREX_API SilentDefaults final : public ListAnswers {};

class VALDREX_API FixedDate final : public host::Clock {
 public:
  explicit FixedDate(CivilDate date) : date_(date) {}
  CivilDate today() override { return date_; }

 private:
  CivilDate date_;
};

// Today in the local time zone.
class VALDREX_API SystemClock final : public host::Clock {
 public:
  CivilDate today() override;
};

// The date given, else today.
class VALDREX_API DateOrToday final : public host::Clock {
 public:
  explicit DateOrToday(std::optional<CivilDate> date) : date_(date) {}
  CivilDate today() override { return date_ ? *date_ : SystemClock().today(); }

 private:
  std::optional<CivilDate> date_;
};

}  // namespace valdrex
