// The one exception family of the library: a failed statement, as the host language would raise it.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace valdrex {

enum class FailureKind { HostError, IndexOutOfRange, Overflow, TypeMismatch, DivisionByZero };

class Failure : public std::runtime_error {
 public:
  Failure(FailureKind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  FailureKind kind() const { return kind_; }

 private:
  FailureKind kind_;
};

// Runs one statement of a method that skips failing statements and goes on with the next.
// Only a Failure is swallowed: a logic error or a crash is never hidden.
template <class Statement>
bool attempt(Statement&& statement) {
  try {
    std::forward<Statement>(statement)();
    return true;
  } catch (const Failure&) {
    return false;
  }
}

}  // namespace valdrex
