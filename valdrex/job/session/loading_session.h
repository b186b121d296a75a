// The library's own loading of a workbook, for a check or a class listing: the automation object
// over silent dialogs, its messages kept instead of shown. Loading reads no date and starts
// nothing, so neither the clock nor the launcher is a real one.
#pragma once

#include <vector>

#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/host/application.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/session/ready_dialogs.h"

namespace valdrex {

class LoadingSession {
 public:
  explicit LoadingSession(host::MemoryWorkbook& wb);
  LoadingSession(const LoadingSession&) = delete;
  LoadingSession& operator=(const LoadingSession&) = delete;

  ValdrexCls& valdrex() { return valdrex_; }
  // The messages the loading would have shown, in order.
  const std::vector<ListAnswers::Message>& messages() const { return dialogs_.messages(); }

 private:
  class StartsNothing final : public host::Launcher {
    void start(const std::vector<std::string>&) override {}
  };
  SilentDefaults dialogs_;
  FixedDate clock_;
  StartsNothing launcher_;
  host::BasicApplication application_;
  ValdrexCls valdrex_;
};

}  // namespace valdrex
