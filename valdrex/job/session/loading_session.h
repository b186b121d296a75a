// The library's own loading of a workbook, for a check or a class listing: a grade book over
// silent dialogs, its messages kept instead of shown.
#pragma once

#include <memory>
#include <vector>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/job/session/ready_dialogs.h"

namespace valdrex {

class LoadingSession {
 public:
  LoadingSession() : book_(std::make_unique<GradeBook>()) {}
  LoadingSession(const LoadingSession&) = delete;
  LoadingSession& operator=(const LoadingSession&) = delete;

  GradeBook& gradeBook() { return *book_; }
  host::Ui& ui() { return dialogs_; }
  // The messages the loading would have shown, in order.
  const std::vector<ListAnswers::Message>& messages() const { return dialogs_.messages(); }

 private:
  SilentDefaults dialogs_;
  std::unique_ptr<GradeBook> book_;  // too large for the stack
};

}  // namespace valdrex
