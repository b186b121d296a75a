// One statistics run on a workbook in memory, and what it found.
#pragma once

#include "valdrex/host/application.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {

struct RunCounts {
  int classes = 0;
  int students = 0;
  int subjects = 0;
  int reportSheets = 0;  // report sheets holding something afterwards
};

// Calls ValdrexCls::输出 on wb with its score sheet; the dialogs go to app's Ui and the date of
// the title rows comes from app's Clock. The workbook should hold every report sheet.
RunCounts runStatistics(host::MemoryWorkbook& wb, host::Worksheet& scoreSheet,
                        host::Application& app);

}  // namespace valdrex
