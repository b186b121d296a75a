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
  std::array<const Variant*, 3> keys{};  // nullptr for an empty key cell
  bool keyed = false;                    // some key cell is not empty
};

}  // namespace

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
  for (SortRow& e : entries) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const CellRow& cells = e.cells.read();
      auto [at, end] = columnSpan(cells, keys[k].column, keys[k].column);
      if (at != end && !cells[at].second.value.isEmpty()) e.keys[k] = &cells[at].second.value;
      e.keyed |= e.keys[k] != nullptr;
    }
  }

  // Empty keys go last in either direction; only the order of the others is reversed.
  auto before = [&](std::size_t x, std::size_t y) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const Variant* a = entries[x].keys[k];
      const Variant* c = entries[y].keys[k];
      if (!a || !c) {
        if (a != c) return a != nullptr;
        continue;
      }
      int order = compareForSort(*a, *c);
      if (order != 0) return keys[k].descending ? order > 0 : order < 0;
    }
    return false;
  };
  std::vector<std::size_t> keyed;
  keyed.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].keyed) keyed.push_back(i);
  std::stable_sort(keyed.begin(), keyed.end(), before);

  // Rows with a key come first; every other row, the empty ones included, keeps its order
  // after them, that is, it moves down by the number of keyed rows that stood below it.
  std::vector<int> target(entries.size());
  for (std::size_t k = 0; k < keyed.size(); ++k)
    target[keyed[k]] = sorted.row1 + static_cast<int>(k);
  int keyedBelow = static_cast<int>(keyed.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].keyed)
      --keyedBelow;
    else
      target[i] = entries[i].number + keyedBelow;
  }
  for (std::size_t i = 0; i < entries.size(); ++i)
    putCells(rowAt(target[i]).cells, std::move(entries[i].cells));
  tidyRows(sorted.row1, sorted.row2);
}

}  // namespace valdrex::host
