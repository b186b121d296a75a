// Deleting blocks and inserting rows: the cells, row formats and merges below move.
#include <algorithm>

#include "valdrex/host/failure.h"
#include "valdrex/host/memory_sheet_support.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::host {

using namespace sheet;

namespace {

const char* const kPartOfMerge = "不能更改合并单元格的一部分";

}  // namespace

void MemorySheet::deleteCells(const Range& block) {
  Range b = checkBlock(block);
  noteRemoved(b);
  if (contains(b, usedRange())) {
    rows_.clear();
    merges_.clear();
  } else if (wholeRows(b)) {
    deleteWholeRows(b.row1, b.row2);
  } else {
    deletePartOfRows(b);
  }
}

void MemorySheet::deleteWholeRows(int first, int last) {
  const int height = last - first + 1;
  std::size_t begin = rowIndex(first), end = rowIndex(last + 1);
  rows_.erase(rows_.begin() + begin, rows_.begin() + end);
  for (std::size_t i = begin; i < rows_.size(); ++i) rows_[i].number -= height;

  // A merge loses the deleted rows it spans; one left a single cell is no merge any more.
  auto shifted = [&](int row) { return row > last ? row - height : row; };
  std::vector<Range> kept;
  for (Range m : merges_) {
    if (m.row1 >= first && m.row2 <= last) continue;
    m.row1 = m.row1 >= first && m.row1 <= last ? first : shifted(m.row1);
    m.row2 = m.row2 >= first && m.row2 <= last ? first - 1 : shifted(m.row2);
    if (!singleCellBlock(m)) kept.push_back(m);
  }
  merges_ = std::move(kept);
}

void MemorySheet::deletePartOfRows(const Range& b) {
  const int height = b.row2 - b.row1 + 1;
  const Range below{b.row2 + 1, b.col1, kMaxRows, b.col2};
  // Only merges wholly inside the block or wholly in its columns below it can follow; the rest
  // would be cut in two, so nothing is changed.
  for (const Range& m : merges_) {
    bool touched = m.row2 >= b.row1 && m.col1 <= b.col2 && m.col2 >= b.col1;
    if (touched && !contains(b, m) && !contains(below, m))
      throw Failure(FailureKind::HostError, kPartOfMerge);
  }
  std::erase_if(merges_, [&](const Range& m) { return contains(b, m); });
  for (Range& m : merges_) {
    if (contains(below, m)) {
      m.row1 -= height;
      m.row2 -= height;
    }
  }

  // Rows in increasing order: the row `height` above has already given up these columns.
  for (std::size_t i = rowIndex(b.row1); i < rows_.size(); ++i) {
    SharedCells taken = takeCells(rows_[i].cells, b.col1, b.col2);
    int target = rows_[i].number - height;
    if (taken.read().empty() || target < b.row1) continue;
    std::size_t before = rows_.size();
    putCells(rowAt(target).cells, std::move(taken));
    if (rows_.size() != before) ++i;  // a new row was made above this one
  }
  tidyRows(b.row1, kMaxRows);
}

void MemorySheet::openRows(int row, int by) {
  if (lastUsedRow() >= row && lastUsedRow() + by > kMaxRows)
    throw Failure(FailureKind::HostError, "无法插入行：工作表末尾的非空单元格会被移出工作表");
  for (std::size_t i = rowIndex(row); i < rows_.size(); ++i) rows_[i].number += by;
  for (Range& m : merges_) {
    if (m.row1 >= row) m.row1 += by;
    if (m.row2 >= row) m.row2 += by;
  }
}

void MemorySheet::insertRow(int row) {
  checkCell(row, 1);
  changed_ = true;
  auto& clip = book_.clipboard_;
  if (!clip || !clip->wholeRows) {
    openRows(row, 1);
    return;
  }
  openRows(row, clip->height);
  placeClipboard(*clip, row, 1);
  clip.reset();
}

}  // namespace valdrex::host
