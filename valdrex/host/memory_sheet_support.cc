#include "valdrex/host/memory_sheet_support.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "valdrex/host/failure.h"

namespace valdrex::host::sheet {

namespace {

bool inside(int row, int col) {
  return row >= 1 && row <= kMaxRows && col >= 1 && col <= kMaxColumns;
}

std::string cellName(int row, int col) {
  return "第 " + std::to_string(row) + " 行第 " + std::to_string(col) + " 列";
}

}  // namespace

void cellOutsideSheet(int row, int col) {
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
  // The cells of a table row stand in every column between its first and its last.
  if (!cells.empty() &&
      cells.back().first - cells.front().first + 1 == static_cast<int>(cells.size())) {
    auto position = [&](int col) {
      return static_cast<std::size_t>(
          std::clamp(col - cells.front().first, 0, static_cast<int>(cells.size())));
    };
    std::size_t begin = position(first);
    return {begin, std::max(begin, position(last + 1))};
  }
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

SharedCells takeCells(SharedCells& cells, int first, int last) {
  auto [begin, end] = columnSpan(cells.read(), first, last);
  if (begin == end) return {};
  if (begin == 0 && end == cells.read().size()) return std::exchange(cells, {});
  CellRow& own = cells.write();
  CellRow taken(std::make_move_iterator(own.begin() + begin),
                std::make_move_iterator(own.begin() + end));
  own.erase(own.begin() + begin, own.begin() + end);
  return SharedCells(std::move(taken));
}

void putCells(SharedCells& cells, SharedCells&& taken) {
  if (taken.read().empty()) return;
  if (cells.read().empty()) {
    cells = std::move(taken);
    return;
  }
  CellRow& own = cells.write();
  CellRow& in = taken.write();
  auto [at, unused] = columnSpan(own, in.front().first, in.front().first);
  (void)unused;
  own.insert(own.begin() + at, std::make_move_iterator(in.begin()),
             std::make_move_iterator(in.end()));
}

}  // namespace valdrex::host::sheet
