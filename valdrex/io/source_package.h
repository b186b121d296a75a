// The file a workbook was read from, kept so that writing it back changes only what the model
// changed: every other part, and every part of a sheet the model does not hold, stays as it was.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex::io {

class SourcePackage final : public host::FileOrigin {
 public:
  struct Sheet {
    std::string part;              // the worksheet part
    std::size_t entry = 0;         // its place among the workbook part's sheets
    std::map<int, double> widths;  // column widths as read
    // Why the sheet cannot be written back from the model (what the model lacks of it, or its
    // size), in words for the teacher; empty when it can.
    std::string unwritable;
  };

  std::string bytes;            // the whole file as it was read
  std::vector<Sheet> sheets;    // one for each sheet of the model read from it, in order
  std::size_t activeSheet = 0;  // the model's active sheet as read
};

}  // namespace valdrex::io
