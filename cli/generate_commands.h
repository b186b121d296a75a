// `valdrex sample` and `valdrex template`: new workbook files.
#pragma once

#include <iosfwd>
#include <string>

#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/made/template_workbook.h"

namespace valdrex::cli {

// Each writes its workbook to `out` and says so; an existing file is only replaced with `force`.
// Status 2 for bad options or a file in the way, 4 when the file could not be written.
int sampleCommand(const std::string& out, const SampleOptions& options, bool force,
                  std::ostream& stdOut, std::ostream& err);
int templateCommand(const std::string& out, const TemplateOptions& options, bool force,
                    std::ostream& stdOut, std::ostream& err);

}  // namespace valdrex::cli
