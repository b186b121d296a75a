// The page a row of a sheet prints on, as a program lays out the sheet's print layout.
#pragma once

#include <utility>

#include "valdrex/host/sheet_presentation.h"
#include "valdrex/job/presentation/print_ready.h"

namespace valdrex::testing {

// (the manual break the row follows, the program's own pages since): a page starts at every break
// and after every rowsPerPage() rows from the last one.
inline std::pair<int, int> pageOf(const host::PrintLayout& layout, int row) {
  int start = 1;
  for (int b : layout.rowBreaks)
    if (b <= row) start = b;
  return {start, (row - start) / rowsPerPage(layout)};
}

}  // namespace valdrex::testing
