// Writing a workbook file the one way every workflow does. Everything that can refuse is checked
// before anything is written; an existing file at the target is kept as a backup unless it is a
// result exactly as an earlier save left it; the input is replaced only when asked, after a backup;
// and the file is replaced in one step, only once the package written has been read back.
#pragma once

#include <string>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/outcome/advice.h"
#include "valdrex/job/outcome/job_status.h"

namespace valdrex {

struct SaveRequest {
  std::string target;
  bool inPlace = false;      // the target is the workbook's own file: it is backed up first
  bool newWorkbook = false;  // sample, template: an existing target is refused unless `force`
  bool result = false;       // a statistics result: marked so a later save may replace it
  // A spreadsheet program's lock file beside the target is no reason to refuse, and a new
  // workbook may replace an existing file (which is backed up like any other).
  bool force = false;
};

struct SaveResult {
  JobStatus status = JobStatus::ok;
  std::string problem;  // why nothing was written
  Advice advice = Advice::none;
  std::string resultPath;    // the file written
  std::string backupPath;    // the input's backup, or the earlier file kept
  bool earlierKept = false;  // an existing target that was not a result as it was written
};

// Why `wb` may not be written as asked; status ok when it may. Nothing is written.
SaveResult saveRefusal(const host::MemoryWorkbook& wb, const SaveRequest& request);

// Writes `wb` as asked; never throws. A package that does not read back is status internal.
SaveResult saveWorkbook(const host::MemoryWorkbook& wb, const SaveRequest& request);

}  // namespace valdrex
