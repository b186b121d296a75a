// The frame of a new grade workbook: the score sheet's head rows, a filled property sheet and
// the empty report sheets, as the statistics run expects them.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex {

struct SubjectSetting {
  std::string name;
  int rawFullMark = 100;  // what the paper is marked out of (score sheet row 2)
  int fullMark = 100;     // what the statistics scale it to (property sheet row 3)
};

// Row 1 the title, row 2 the raw full marks above the subject columns, row 3 the header
// "班级", "座号", "姓名" and the subjects from column 4.
void writeScoreSheetHead(host::Worksheet& sh, const std::string& title,
                         const std::vector<SubjectSetting>& subjects);

// Labels in rows 1-2 and column 1; full, excellent (85 %), pass (60 %) and low-score (40 %) lines
// in rows 3-6 for each subject and the total; the composite weights in rows 9-15; from row 18 each
// class with its teachers (teachers[c][j], subjects then the head teacher; may be empty).
void writePropertySheet(host::Worksheet& sh, const std::vector<SubjectSetting>& subjects,
                        const std::vector<std::string>& classNames,
                        const std::vector<std::vector<std::string>>& teachers = {});

// Adds every report sheet, empty, in the usual order.
void addReportSheets(host::MemoryWorkbook& wb);

}  // namespace valdrex
