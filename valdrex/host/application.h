// The host application as the library sees it: dialogs, the clock, the desktop and its workbooks.
#pragma once

#include "valdrex/export.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex::host {

class VALDREX_API Application : public Object {
 public:
  // Out of line, so that the library holds the type's identity for every program using it.
  ~Application() override;
  virtual Ui& ui() = 0;
  virtual Clock& clock() = 0;
  virtual Launcher& launcher() = 0;
  // The workbook whose macro is calling (its ThisWorkbook); nullptr when there is none.
  virtual Workbook* thisWorkbook() = 0;
  // The workbook in front of the user; by-name lookups of sheets go to it.
  virtual Workbook* activeWorkbook() = 0;
};

// An application made of parts that the caller owns; one workbook is both calling and active.
class VALDREX_API BasicApplication final : public Application {
 public:
  BasicApplication(Ui& ui, Clock& clock, Launcher& launcher, Workbook* workbook = nullptr)
      : ui_(ui), clock_(clock), launcher_(launcher), workbook_(workbook) {}
  Ui& ui() override { return ui_; }
  Clock& clock() override { return clock_; }
  Launcher& launcher() override { return launcher_; }
  Workbook* thisWorkbook() override { return workbook_; }
  Workbook* activeWorkbook() override { return workbook_; }
  void setWorkbook(Workbook* workbook) { workbook_ = workbook; }

 private:
  Ui& ui_;
  Clock& clock_;
  Launcher& launcher_;
  Workbook* workbook_;
};

}  // namespace valdrex::host
