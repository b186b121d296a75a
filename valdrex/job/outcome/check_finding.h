// What `valdrex check` reports: the layout it found and the findings, each about one place.
#pragma once

#include <string>
#include <vector>

#include "valdrex/job/outcome/advice.h"

namespace valdrex {

enum class FindingKind { note, wrongResult, stopsLoading };

struct Finding {
  std::string place;  // "成绩表!D7", or a sheet's name
  std::string text;
  bool stopsLoading = false;  // the run would stop loading here with its limits message
  // The run would go on, but its statistics would be wrong: students left out, a class split in
  // two, a score counted as something else than the teacher meant.
  bool wrongResult = false;
  // The run shows its limits message here, but only after everything it needs is read: the
  // statistics go on and stay right.
  bool showsLimits = false;
  Advice advice = Advice::none;  // worded by the front end after the text

  FindingKind kind() const {
    return stopsLoading  ? FindingKind::stopsLoading
           : wrongResult ? FindingKind::wrongResult
                         : FindingKind::note;
  }
  // The place's sheet (or the file's name, for the whole file) and cell ("D7"; empty for a sheet).
  std::string sheet() const;
  std::string cell() const;
};

struct CheckReport {
  std::vector<std::string> layout;  // what was found, one line each
  std::vector<Finding> findings;
};

}  // namespace valdrex
