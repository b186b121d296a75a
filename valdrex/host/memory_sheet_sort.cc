// Sorting the rows of a block by up to three key columns, as the spreadsheet sorts.
#include <algorithm>
#include <array>
#include <string>

#include "valdrex/host/failure.h"
#include "valdrex/host/memory_sheet_support.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/host/text.h"

namespace valdrex::host {

using namespace sheet;

namespace {

// Ascending order of the kinds: numbers, texts, booleans, errors.
int kindRank(const Variant& v) {
  switch (v.kind()) {
    case VarKind::Text:
      return 1;
    case VarKind::Boolean:
      return 2;
    case VarKind::Error:
      return 3;
    default:
      return 0;
  }
}

int compareForSort(const Variant& a, const Variant& b) {
  int ra = kindRank(a), rb = kindRank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  switch (ra) {
    case 0:
    case 2:
      return a.number() < b.number() ? -1 : (b.number() < a.number() ? 1 : 0);
    case 1:
      return compareTextIgnoringCase(a.text(), b.text());
    default:
      return 0;  // errors are all alike
  }
}

struct SortRow {
  int number;
  SharedCells cells;
};

}  // namespace

std::vector<std::size_t> sortedRowOrder(std::span<const std::array<const Variant*, 3>> keyCells,
                                        std::span<const SortKey> keys) {
  // Empty keys go last in either direction; only the order of the others is reversed.
  auto before = [&](std::size_t x, std::size_t y) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const Variant* a = keyCells[x][k];
      const Variant* c = keyCells[y][k];
      if (!a || !c) {
        if (a != c) return a != nullptr;
        continue;
      }
      int order = compareForSort(*a, *c);
      if (order != 0) return keys[k].descending ? order > 0 : order < 0;
    }
    return false;
  };
  auto keyed = [&](std::size_t i) { return keyCells[i][0] || keyCells[i][1] || keyCells[i][2]; };
  std::vector<std::size_t> order, rest;
  for (std::size_t i = 0; i < keyCells.size(); ++i) (keyed(i) ? order : rest).push_back(i);
  std::stable_sort(order.begin(), order.end(), before);
  order.insert(order.end(), rest.begin(), rest.end());
  return order;
}

void MemorySheet::sort(const Range& block, std::span<const SortKey> keys, bool header) {
  Range b = checkBlock(block);
  changed_ = true;
  if (keys.empty() || keys.size() > 3)
    throw Failure(FailureKind::HostError, "排序关键字须为一到三个");
  for (const SortKey& key : keys)
    if (key.column < b.col1 || key.column > b.col2)
      throw Failure(FailureKind::HostError,
                    "排序关键字不在排序区域内：第 " + std::to_string(key.column) + " 列");
  const Range sorted{b.row1 + (header ? 1 : 0), b.col1, b.row2, b.col2};
  if (sorted.row1 > sorted.row2) return;
  for (const Range& m : merges_)
    if (intersects(m, sorted))
      throw Failure(FailureKind::HostError, "此操作要求合并单元格都具有相同大小");

  // Only the block's columns move; the rows keep everything else.
  std::vector<SortRow> entries;
  const std::size_t firstRow = rowIndex(sorted.row1), endRow = rowIndex(sorted.row2 + 1);
  entries.reserve(endRow - firstRow);
  for (std::size_t i = firstRow; i < endRow; ++i) {
    SharedCells cells = takeCells(rows_[i].cells, b.col1, b.col2);
    if (!cells.read().empty()) entries.push_back({rows_[i].number, std::move(cells)});
  }
  std::vector<std::array<const Variant*, 3>> keyCells(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const CellRow& cells = entries[i].cells.read();
    for (std::size_t k = 0; k < keys.size(); ++k) {
      auto [at, end] = columnSpan(cells, keys[k].column, keys[k].column);
      if (at != end && !cells[at].second.value.isEmpty()) keyCells[i][k] = &cells[at].second.value;
    }
  }
  const std::vector<std::size_t> order = sortedRowOrder(keyCells, keys);

  // Rows with a key come first; every other row, the empty ones included, keeps its order
  // after them, that is, it moves down by the number of keyed rows that stood below it.
  std::vector<int> target(entries.size(), 0);
  std::vector<bool> keyed(entries.size(), false);
  int keyedBelow = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::size_t i = order[k];
    if (!keyCells[i][0] && !keyCells[i][1] && !keyCells[i][2]) break;
    target[i] = sorted.row1 + static_cast<int>(k);
    keyed[i] = true;
    ++keyedBelow;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (keyed[i])
      --keyedBelow;
    else
      target[i] = entries[i].number + keyedBelow;
  }
  for (std::size_t i = 0; i < entries.size(); ++i)
    putCells(rowAt(target[i]).cells, std::move(entries[i].cells));
  tidyRows(sorted.row1, sorted.row2);
}

}  // namespace valdrex::host
