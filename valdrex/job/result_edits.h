// An earlier result the teacher may have edited: cells a run writes anew, whose edits it would
// silently undo.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex {

struct CellEdit {
  std::string place;  // "分数段统计!D3"
  std::string before, after;
};

// The cells of the report sheets' title rows (dates aside) and of the band tables' title and
// header rows on "分数段统计" and "名次段统计" where `earlier` holds something else than `now`, the
// result of a run over `classes` classes and `subjects` subjects.
std::vector<CellEdit> editedResultCells(const host::MemoryWorkbook& earlier,
                                        const host::MemoryWorkbook& now, int classes, int subjects);

}  // namespace valdrex
