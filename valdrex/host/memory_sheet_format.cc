// Merges, alignment and borders of the in-memory sheet.
#include <algorithm>
#include <map>
#include <numeric>
#include <optional>
#include <queue>
#include <string>

#include "valdrex/host/memory_sheet_support.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::host {

using namespace sheet;

namespace {

uint8_t edgeOf(BorderSide side) {
  switch (side) {
    case BorderSide::Left:
      return kEdgeLeft;
    case BorderSide::Right:
      return kEdgeRight;
    case BorderSide::Top:
      return kEdgeTop;
    case BorderSide::Bottom:
      break;
  }
  return kEdgeBottom;
}

// Every column first..last of the row gets a cell, a new one with the row's own format; the
// row is rebuilt once rather than growing cell by cell.
void fillColumns(CellRow& cells, int first, int last, const std::optional<CellFormat>& rowFormat) {
  auto [from, to] = columnSpan(cells, first, last);
  const auto wanted = static_cast<std::size_t>(last - first + 1);
  if (to - from == wanted) return;
  CellRow filled;
  filled.reserve(cells.size() - (to - from) + wanted);
  auto move = [&](std::size_t k) { filled.push_back(std::move(cells[k])); };
  for (std::size_t k = 0; k < from; ++k) move(k);
  std::size_t k = from;
  for (int col = first; col <= last; ++col) {
    if (k < to && cells[k].first == col) {
      move(k++);
    } else {
      filled.push_back({col, Cell{}});
      if (rowFormat) filled.back().second.format = *rowFormat;
    }
  }
  for (k = to; k < cells.size(); ++k) move(k);
  cells = std::move(filled);
}

}  // namespace

void MemorySheet::recordMerge(const Range& block) {
  changed_ = true;
  std::erase_if(merges_, [&](const Range& m) { return intersects(m, block); });
  merges_.push_back(block);
}

void MemorySheet::addMerge(const Range& block) {
  Range b = checkBlock(block);
  if (!singleCellBlock(b)) recordMerge(b);
}

namespace {

// Whether any two of the blocks meet: a sweep down the rows, keeping the column spans of the
// blocks that reach the current row, which are disjoint while no two blocks met.
bool anyTwoMeet(const std::vector<Range>& blocks) {
  std::vector<std::size_t> order(blocks.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return blocks[a].row1 < blocks[b].row1; });
  std::map<int, const Range*> spans;   // by first column
  using Ending = std::pair<int, int>;  // last row, first column
  std::priority_queue<Ending, std::vector<Ending>, std::greater<>> endings;
  for (std::size_t i : order) {
    const Range& b = blocks[i];
    for (; !endings.empty() && endings.top().first < b.row1; endings.pop())
      spans.erase(endings.top().second);
    auto after = spans.upper_bound(b.col2);
    if (after != spans.begin() && std::prev(after)->second->col2 >= b.col1) return true;
    spans.emplace(b.col1, &b);
    endings.push({b.row2, b.col1});
  }
  return false;
}

}  // namespace

void MemorySheet::addMerges(const std::vector<Range>& blocks) {
  std::vector<Range> all = merges_;
  all.reserve(all.size() + blocks.size());
  for (const Range& block : blocks)
    if (Range b = checkBlock(block); !singleCellBlock(b)) all.push_back(b);
  if (all.size() == merges_.size()) return;
  changed_ = true;
  if (!anyTwoMeet(all)) {
    merges_ = std::move(all);
    return;
  }
  // Only a broken file has merges that meet; they are sorted out one by one.
  for (std::size_t i = merges_.size(), n = all.size(); i < n; ++i) recordMerge(all[i]);
}

void MemorySheet::merge(const Range& block) {
  Range b = checkBlock(block);
  if (singleCellBlock(b)) return;  // a single cell is never merged
  for (std::size_t i = rowIndex(b.row1), end = rowIndex(b.row2 + 1); i < end; ++i) {
    auto [from, to] = columnSpan(rows_[i].cells.read(), b.col1, b.col2);
    if (from == to) continue;
    auto& cells = rows_[i].cells.write();
    for (std::size_t k = from; k < to; ++k) {
      if (rows_[i].number == b.row1 && cells[k].first == b.col1) continue;
      cells[k].second.value = Variant();
      cells[k].second.formula.clear();
    }
  }
  recordMerge(b);
  tidyRows(b.row1, b.row2);
}

template <class Change>
void MemorySheet::changeFormats(const Range& b, bool rowFormatsToo, const Change& change) {
  // Whole rows or columns touch only the cells that exist, to stay sparse.
  changed_ = true;
  const bool sparse = wholeRows(b) || wholeColumns(b);
  rowFormatsToo = rowFormatsToo && wholeRows(b);
  if (!sparse || (rowFormatsToo && !wholeColumns(b)))
    for (int r = b.row1; r <= b.row2; ++r) rowAt(r);
  bool untidy = false;  // some cell or row of the block holds nothing of its own
  for (std::size_t i = rowIndex(b.row1), end = rowIndex(b.row2 + 1); i < end; ++i) {
    Row& row = rows_[i];
    if (rowFormatsToo) {
      CellFormat f = row.format.value_or(CellFormat{});
      change(f);
      row.format = f.empty() ? std::nullopt : std::optional<CellFormat>(f);
    }
    if (!sparse) fillColumns(row.cells.write(), b.col1, b.col2, row.format);
    auto [from, to] = columnSpan(row.cells.read(), b.col1, b.col2);
    if (from < to) {
      auto& cells = row.cells.write();
      for (std::size_t k = from; k < to; ++k) change(cells[k].second.format);
    }
    // The same test tidyRows() makes, in the same pass over the row.
    const CellRow& cells = row.cells.read();
    untidy |= (cells.empty() && !row.format) ||
              std::any_of(cells.begin(), cells.end(),
                          [&](const auto& c) { return holdsNothing(c.second, row.format); });
  }
  if (untidy) tidyRows(b.row1, b.row2);
}

void MemorySheet::setHorizontalAlignment(const Range& block, HAlign alignment) {
  Range b = checkBlock(block);
  changeFormats(b, true, [&](CellFormat& f) { f.align = alignment; });
}

void MemorySheet::setNumberFormat(const Range& block, const std::string& code) {
  Range b = checkBlock(block);
  changeFormats(b, false, [&](CellFormat& f) { f.numberFormat = code; });
}

void MemorySheet::setBorder(const Range& block, BorderSide side, LineStyle lineStyle) {
  uint8_t edge = edgeOf(side);
  Range b = checkBlock(block);
  bool on = lineStyle == LineStyle::Continuous;
  changeFormats(b, false,
                [&](CellFormat& f) { f.borders = on ? (f.borders | edge) : (f.borders & ~edge); });
}

}  // namespace valdrex::host
