// What a workbook file cannot hold, found before writing: the writer refuses a workbook with any
// of it, and `valdrex check` tells it ahead of a run.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex::io {

// A cell holds at most this many UTF-16 code units; a spreadsheet program refuses a file with more.
inline constexpr std::size_t kMaxCellTextUnits = 32767;

struct WriteProblem {
  std::string sheet;     // empty for the workbook as a whole
  int row = 0, col = 0;  // the cell; 0 when the problem is not about one
  std::string text;      // what is wrong and what to do about it ("…。请…")
};

// Up to `most` problems of writing `book` to `path`, the workbook's first, then the cells' in
// sheet, row and column order: a macro project in a file not named .xlsm; a text value or a
// formula longer than a cell holds (a text read from a file is kept whole; a formula filled down
// from another is judged by the text it moves). Each distinct long text is measured once, so the
// time goes with the cells, not with how often a text repeats.
std::vector<WriteProblem> writeProblems(const host::MemoryWorkbook& book, const std::string& path,
                                        std::size_t most);

// The first problem as FileError::writing(path, …), when there is one.
void refuseUnwritable(const host::MemoryWorkbook& book, const std::string& path);

}  // namespace valdrex::io
