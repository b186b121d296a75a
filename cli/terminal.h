// The user's terminal, shared by every workbook of one call: lines out, answers in, one at a time.
#pragma once

#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>

namespace valdrex::cli {

class Terminal {
 public:
  // `interactive`: answers may be read from `in` (standard input is a terminal).
  Terminal(std::istream& in, std::ostream& out, std::ostream& err, bool interactive);

  bool interactive() const { return interactive_; }

  // One line to standard error (messages, warnings, errors).
  void message(const std::string& line);
  // One line to standard output (results, summaries).
  void result(const std::string& line);
  // Shows the question and reads one line; nullopt at the end of input, and for every question
  // after it. Only for interactive terminals.
  std::optional<std::string> ask(const std::string& question);

 private:
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  const bool interactive_;
  bool ended_ = false;
  std::mutex mutex_;  // one question and its answer at a time, lines never interleaved
};

}  // namespace valdrex::cli
