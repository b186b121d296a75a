// Checks and small block and cell-row helpers shared by the in-memory sheet's operations.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "valdrex/host/memory_workbook.h"

namespace valdrex::host::sheet {

using CellRow = MemorySheet::CellRow;
using SharedCells = CopyOnWrite<CellRow>;

[[noreturn]] void cellOutsideSheet(int row, int col);
// A cell inside the sheet, else Failure(HostError) naming it.
inline void checkCell(int row, int col) {
  if (row < 1 || row > kMaxRows || col < 1 || col > kMaxColumns) [[unlikely]]
    cellOutsideSheet(row, col);
}
// The block with its corners in order, every corner inside the sheet; else Failure(HostError).
Range checkBlock(const Range& block);

inline bool wholeRows(const Range& b) { return b.col1 == 1 && b.col2 == kMaxColumns; }
inline bool wholeColumns(const Range& b) { return b.row1 == 1 && b.row2 == kMaxRows; }
inline bool contains(const Range& outer, const Range& inner) {
  return outer.row1 <= inner.row1 && inner.row2 <= outer.row2 && outer.col1 <= inner.col1 &&
         inner.col2 <= outer.col2;
}
inline bool intersects(const Range& a, const Range& b) {
  return a.row1 <= b.row2 && b.row1 <= a.row2 && a.col1 <= b.col2 && b.col1 <= a.col2;
}
inline bool singleCellBlock(const Range& b) { return b.row1 == b.row2 && b.col1 == b.col2; }

// A cell that only repeats its row's format holds nothing of its own.
inline bool holdsNothing(const Cell& cell, const std::optional<CellFormat>& rowFormat) {
  if (!cell.value.isEmpty() || !cell.formula.empty()) return false;
  return cell.format.empty() || (rowFormat && cell.format == *rowFormat);
}

// The cells of columns first..last, taken out of the row; a whole row moves without copying.
SharedCells takeCells(SharedCells& cells, int first, int last);
// Cells put back into a row that holds none in their columns; into an empty row they move
// without copying.
void putCells(SharedCells& cells, SharedCells&& taken);
// Where column `col` stands in the row, or where it would be inserted; `found` tells which.
// A row whose columns follow each other is looked up without a search.
std::size_t cellPosition(const CellRow& cells, int col, bool& found);
// The cells of columns first..last as [begin, end) positions.
std::pair<std::size_t, std::size_t> columnSpan(const CellRow& cells, int first, int last);

}  // namespace valdrex::host::sheet
