// Checks of the score sheet: layout limits, classes kept together, full marks and score cells.
#pragma once

#include <vector>

#include "valdrex/host/worksheet.h"
#include "valdrex/job/outcome/check_finding.h"

namespace valdrex {

// What the score sheet holds, as the loading reads it.
struct ScoreSheetShape {
  int subjects = 0;  // header cells from column 4 before an empty one or "总分"
  int students = 0;  // rows from 4 while column 2 or 3 is filled
  std::vector<std::string> subjectNames;
  std::vector<std::pair<std::string, int>> classes;  // name and size, in order of appearance
};

ScoreSheetShape scoreSheetShape(const host::Worksheet& sh);

// False when the table is not where the loading reads it (one finding says so): what is read
// from it then means nothing.
bool checkScoreSheet(const host::Worksheet& sh, const ScoreSheetShape& shape, CheckReport& report);

}  // namespace valdrex
