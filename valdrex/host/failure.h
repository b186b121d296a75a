// The one exception family of the library: a failed statement, as the host language would raise it.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "valdrex/export.h"

namespace valdrex {

enum class FailureKind { HostError, IndexOutOfRange, Overflow, TypeMismatch, DivisionByZero };

class VALDREX_API Failure : public std::runtime_error {
 public:
  Failure(FailureKind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  FailureKind kind() const { return kind_; }

 private:
  FailureKind kind_;
};

// The failures attempt() swallowed on this thread. A caller compares the count before and after
// a step to learn whether the step skipped anything: a skip is otherwise silent.
struct SwallowedFailures {
  long count = 0;
  std::string last;  // the message of the latest one
};
inline SwallowedFailures& swallowedFailures() {
  thread_local SwallowedFailures swallowed;
  return swallowed;
}

// Runs one statement of a method that skips failing statements and goes on with the next.
// Only a Failure is swallowed: a logic error or a crash is never hidden.
template <class Statement>
bool attempt(Statement&& statement) {
  try {
    std::forward<Statement>(statement)();
    return true;
  } catch (const Failure& f) {
    SwallowedFailures& swallowed = swallowedFailures();
    ++swallowed.count;
    swallowed.last = f.what();
    return false;
  }
}

}  // namespace valdrex
