#include "host/memory_sheet_support.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "host/failure.h"

namespace valdrex::host::sheet {

namespace {

bool inside(int row, int col) {
  return row >= 1 && row <= kMaxRows && col >= 1 && col <= kMaxColumns;
}

std::string cellName(int row, int col) {
  return "第 " + std::to_string(row) + " 行第 " + std::to_string(col) + " 列";
}

}  // namespace

void checkCell(int row, int col) {
  if (!inside(row, col))
    throw Failure(FailureKind::HostError, "单元格超出工作表范围：" + cellName(row, col));
}

Range checkBlock(const Range& block) {
  if (!inside(block.row1, block.col1) || !inside(block.row2, block.col2))
    throw Failure(FailureKind::HostError, "区域超出工作表范围：" +
                                              cellName(block.row1, block.col1) + "至" +
                                              cellName(block.row2, block.col2));
  return between(block.row1, block.col1, block.row2, block.col2);
}

std::pair<std::size_t, std::size_t> columnSpan(const CellRow& cells, int first, int last) {
  auto byColumn = [](const std::pair<int, Cell>& c, int col) { return c.first < col; };
  auto begin = std::lower_bound(cells.begin(), cells.end(), first, byColumn);
  auto end = std::lower_bound(begin, cells.end(), last + 1, byColumn);
  return {static_cast<std::size_t>(begin - cells.begin()),
          static_cast<std::size_t>(end - cells.begin())};
}

std::size_t cellPosition(const CellRow& cells, int col, bool& found) {
  if (!cells.empty() && cells.front().first <= col) {
    auto guess = static_cast<std::size_t>(col - cells.front().first);
    if (guess < cells.size() && cells[guess].first == col) {
      found = true;
      return guess;
    }
  }
  auto at = std::lower_bound(cells.begin(), cells.end(), col,
                             [](const std::pair<int, Cell>& c, int n) { return c.first < n; });
  found = at != cells.end() && at->first == col;
  return static_cast<std::size_t>(at - cells.begin());
}

CellRow takeCells(CellRow& cells, int first, int last) {
  auto [begin, end] = columnSpan(cells, first, last);
  if (begin == end) return {};
  if (begin == 0 && end == cells.size()) return std::exchange(cells, {});
  CellRow taken(std::make_move_iterator(cells.begin() + begin),
                std::make_move_iterator(cells.begin() + end));
  cells.erase(cells.begin() + begin, cells.begin() + end);
  return taken;
}

void putCells(CellRow& cells, CellRow&& taken) {
  if (taken.empty()) return;
  if (cells.empty()) {
    cells = std::move(taken);
    return;
  }
  auto [at, unused] = columnSpan(cells, taken.front().first, taken.front().first);
  (void)unused;
  cells.insert(cells.begin() + at, std::make_move_iterator(taken.begin()),
               std::make_move_iterator(taken.end()));
}

}  // namespace valdrex::host::sheet
