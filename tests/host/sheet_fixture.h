// Shortcuts for tests that build and read sheets as grids of texts.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex::host {

using Grid = std::vector<std::vector<std::string>>;

// Writes the rows from (row, col) on; "" leaves a cell empty.
inline void fill(Worksheet& s, int row, int col, const Grid& rows) {
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      s.setCell(row + static_cast<int>(r), col + static_cast<int>(c), rows[r][c]);
}

// The texts of a block's values.
inline Grid grid(const Worksheet& s, const Range& b) {
  Grid out;
  for (int r = b.row1; r <= b.row2; ++r) {
    out.emplace_back();
    for (int c = b.col1; c <= b.col2; ++c) out.back().push_back(textOf(s.cell(r, c)));
  }
  return out;
}

}  // namespace valdrex::host
