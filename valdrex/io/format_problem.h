// What is wrong inside a package, before the reader knows which file it came from.
#pragma once

#include <stdexcept>
#include <string>

namespace valdrex::io {

// Thrown by the parts of the reader; readWorkbook turns it into a FileError naming the file.
class FormatProblem : public std::runtime_error {
 public:
  explicit FormatProblem(const std::string& problem) : std::runtime_error(problem) {}
};

}  // namespace valdrex::io
