// Saving a workbook where it came from: what save() on a workbook read from a file does.
#pragma once

#include "valdrex/host/memory_workbook.h"

namespace valdrex::io {

// save() then writes the workbook to its own path. A failed save is a Failure (host error) whose
// message is the file error's, as any failed host operation.
void attachSaver(host::MemoryWorkbook& book);

}  // namespace valdrex::io
