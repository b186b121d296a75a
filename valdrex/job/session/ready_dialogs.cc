#include "valdrex/job/session/ready_dialogs.h"

#include <ctime>

namespace valdrex {

host::Button ListAnswers::messageBox(const std::string& prompt, host::MessageStyle style,
                                     const std::string& title) {
  messages_.push_back({title, prompt});
  return host::asksYesNo(style) ? host::Button::yes : host::Button::ok;
}

std::optional<std::string> ListAnswers::inputBox(const std::string&, const std::string&,
                                                 const std::string& defaultText) {
  if (next_ < answers_.size()) return answers_[next_++];
  return defaultText;
}

CivilDate SystemClock::today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return CivilDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace valdrex
