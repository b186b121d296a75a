#include "cli/terminal.h"

#include <istream>
#include <ostream>

namespace valdrex::cli {

Terminal::Terminal(std::istream& in, std::ostream& out, std::ostream& err, bool interactive)
    : in_(in), out_(out), err_(err), interactive_(interactive) {}

void Terminal::message(const std::string& line) {
  std::lock_guard lock(mutex_);
  err_ << line << '\n' << std::flush;
}

void Terminal::result(const std::string& line) {
  std::lock_guard lock(mutex_);
  out_ << line << '\n' << std::flush;
}

std::optional<std::string> Terminal::ask(const std::string& question) {
  std::lock_guard lock(mutex_);
  if (!interactive_ || ended_) return std::nullopt;
  err_ << question << std::flush;
  std::string answer;
  if (!std::getline(in_, answer)) {
    ended_ = true;
    err_ << '\n' << std::flush;
    return std::nullopt;
  }
  if (!answer.empty() && answer.back() == '\r') answer.pop_back();
  return answer;
}

}  // namespace valdrex::cli
