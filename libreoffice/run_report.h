// What 统计 tells after a run that was not clean, in one list: the findings of the check (each
// naming its cell), what was counted and left out, the warnings and notes, and last why a run was
// refused, below the findings it points to.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/job/outcome/job_outcome.h"

namespace valdrex::calc {

struct RunReport {
  std::string heading;
  std::vector<std::string> lines;
  // Per line, the finding whose cell it names.
  std::vector<std::optional<std::size_t>> findingOf;
};

// Nothing (no lines) for a run without findings, warnings, notes, left-out rows or refusal: the
// closing message has said all.
RunReport runReport(const JobOutcome& outcome);

}  // namespace valdrex::calc
