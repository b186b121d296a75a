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

// Whether writing `book` makes a macro workbook: it carries a macro project, or was read from one.
bool writesMacroWorkbook(const host::MemoryWorkbook& book);
// Why a workbook of that kind may not be written under `path`: its extension, compared without
// regard to case, must be .xlsm for a macro workbook and .xlsx for any other; empty when fine.
std::string fileNameProblem(bool macros, const std::string& path);

// Up to `most` problems of writing `book` to `path`, the workbook's first, then the cells' in
// sheet, row and column order: a name whose extension is not the kind written (above; no name,
// no such problem); a text value or a
// formula longer than a cell holds (a text read from a file is kept whole; a formula filled down
// from another is judged by the text it moves). Each distinct long text is measured once, so the
// time goes with the cells, not with how often a text repeats.
std::vector<WriteProblem> writeProblems(const host::MemoryWorkbook& book, const std::string& path,
                                        std::size_t most);

// The first problem as FileError::writing(path, …), when there is one.
void refuseUnwritable(const host::MemoryWorkbook& book, const std::string& path);

}  // namespace valdrex::io
