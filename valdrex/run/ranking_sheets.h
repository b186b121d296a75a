// The four ranking sheets sorted and given their title rows.
#pragma once

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"
#include "valdrex/reports/class_tables.h"

namespace valdrex {

enum class RankingSheet {
  ClassPlain,     // "各班排名表": one block per class, students by seat
  GradePlain,     // "年级排名表": the grade by school rank
  ClassDetailed,  // "各班详细排名": one block per class, students by school rank
  GradeDetailed,  // "年级详细排名": the grade by school rank
};

// The sheet's name in the workbook.
const char* rankingSheetName(RankingSheet kind);

// Phase 1, on a copy of a base table (title row, header row, students from row 3): the title row
// is removed and the students sorted, the header staying in row 1; with the ranks hidden, every
// list by class and seat. Failures reach the caller.
void sortRankingSheet(const GradeBook& g, host::Worksheet& sh, RankingSheet kind,
                      const RankShown& shown = {});

// Phase 2, after every sheet's phase 1: a dated title row over the header; a per-class sheet gets
// a title and a header row before each class, a block starting wherever the class column's value
// changes. Failures reach the caller.
void titleRankingSheet(const GradeBook& g, host::Worksheet& sh, RankingSheet kind,
                       host::Clock& clock, const RankShown& shown = {});

}  // namespace valdrex
