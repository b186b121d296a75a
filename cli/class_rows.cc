#include "cli/class_rows.h"

#include <algorithm>

#include "cli/look_alike.h"

namespace valdrex::cli {

namespace {

constexpr int kFirstClassRow = 18;

// The first row not taken yet whose name passes `same`.
template <class Same>
int unusedRow(const std::vector<ClassRow>& rows, const std::vector<bool>& taken, Same same) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (!taken[i] && same(rows[i].name)) return static_cast<int>(i);
  return -1;
}

}  // namespace

std::vector<ClassRow> readClassRows(const host::MemorySheet& sx) {
  std::vector<ClassRow> rows;
  const int last = sx.usedRange().row2;
  for (int row = kFirstClassRow; row <= last; ++row) {
    ClassRow r{textOf(sx.cell(row, 1)), {}};
    if (r.name.empty()) break;
    rows.push_back(std::move(r));
  }
  if (rows.empty()) return rows;
  const int end = kFirstClassRow + static_cast<int>(rows.size());
  sx.forEachRow(
      [&](int row, std::span<const std::pair<int, host::Cell>> cells, const host::CellFormat*) {
        if (row < kFirstClassRow || row >= end) return;
        for (const auto& [col, cell] : cells)
          if (col > 1 && (!cell.value.isEmpty() || !cell.formula.empty()))
            rows[row - kFirstClassRow].cells.emplace_back(col, cell);
      });
  return rows;
}

ClassRowMoves placeClassRows(host::MemorySheet& sx, std::vector<ClassRow> old,
                             const std::vector<std::string>& classes) {
  ClassRowMoves moves;
  std::vector<int> from(classes.size(), -1);
  std::vector<bool> taken(old.size(), false);
  auto take = [&](std::size_t c, int i) {
    from[c] = i;
    if (i >= 0) taken[i] = true;
  };
  for (std::size_t c = 0; c < classes.size(); ++c)
    take(c, unusedRow(old, taken, [&](const std::string& n) { return n == classes[c]; }));
  for (std::size_t c = 0; c < classes.size(); ++c) {
    if (from[c] >= 0) continue;
    const std::string key = classNameKey(classes[c]);
    take(c, unusedRow(old, taken, [&](const std::string& n) { return classNameKey(n) == key; }));
    if (from[c] >= 0)
      moves.renamed.emplace_back(old[from[c]].name, classes[c]);
    else
      moves.added.push_back(classes[c]);
  }

  // Every cell after column A of the old and the new list is rewritten.
  int lastColumn = 1;
  for (const ClassRow& r : old)
    for (const auto& [col, cell] : r.cells) lastColumn = std::max(lastColumn, col);
  const std::size_t rows = std::max(old.size(), classes.size());
  for (std::size_t i = 0; i < rows; ++i)
    for (int col = 2; col <= lastColumn; ++col)
      sx.setCell(kFirstClassRow + static_cast<int>(i), col, Variant());
  for (std::size_t c = 0; c < classes.size(); ++c) {
    if (from[c] < 0) continue;
    moves.moved = moves.moved || from[c] != static_cast<int>(c);
    for (const auto& [col, cell] : old[from[c]].cells) {
      // Values as they were: a teacher's name is not read again as typed input.
      host::Cell& target = sx.at(kFirstClassRow + static_cast<int>(c), col);
      target.value = cell.value;
      target.formula = cell.formula;
    }
  }
  for (std::size_t i = 0; i < old.size(); ++i)
    if (!taken[i]) moves.dropped.push_back(std::move(old[i]));
  return moves;
}

}  // namespace valdrex::cli
