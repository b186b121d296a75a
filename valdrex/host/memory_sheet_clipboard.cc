// Copy and paste through the workbook's clipboard; inserting copied rows uses the same placing.
#include <algorithm>

#include "valdrex/host/failure.h"
#include "valdrex/host/memory_sheet_support.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::host {

using namespace sheet;

void MemorySheet::copy(const Range& block) {
  Range b = checkBlock(block);
  Clipboard clip;
  clip.height = b.row2 - b.row1 + 1;
  clip.width = b.col2 - b.col1 + 1;
  clip.col1 = b.col1;
  clip.wholeRows = wholeRows(b);
  // A row's own format shows in its empty cells, so a part of the row carries it cell by cell;
  // only as far as the sheet has cells, to stay small: not as far as a merge reaches, which may
  // be the whole width of the sheet.
  const int formattedUpTo = clip.wholeRows ? 0 : std::min(b.col2, lastCellColumn());

  for (std::size_t i = rowIndex(b.row1), end = rowIndex(b.row2 + 1); i < end; ++i) {
    const Row& row = rows_[i];
    const CellRow& cells = row.cells.read();
    Row taken{row.number - b.row1, {}, clip.wholeRows ? row.format : std::nullopt};
    auto [from, to] = columnSpan(cells, b.col1, b.col2);
    if (row.format && !clip.wholeRows) {
      CellRow part;
      std::size_t k = from;
      for (int col = b.col1; col <= formattedUpTo; ++col) {
        if (k < to && cells[k].first == col)
          part.push_back(cells[k++]);
        else
          part.push_back({col, Cell{Variant(), "", *row.format}});
      }
      part.insert(part.end(), cells.begin() + k, cells.begin() + to);
      taken.cells = SharedCells(std::move(part));
    } else if (from == 0 && to == cells.size()) {
      taken.cells = row.cells;  // the whole row: shared, not copied
    } else if (from < to) {
      taken.cells = SharedCells(CellRow(cells.begin() + from, cells.begin() + to));
    }
    if (!taken.cells.read().empty() || taken.format) clip.rows.push_back(std::move(taken));
  }
  for (const Range& m : merges_)
    if (contains(b, m))
      clip.merges.push_back({m.row1 - b.row1, m.col1 - b.col1, m.row2 - b.row1, m.col2 - b.col1});
  book_.clipboard_ = std::move(clip);
}

void MemorySheet::pasteSpecial(int row, int col) {
  checkCell(row, col);
  if (!book_.clipboard_) throw Failure(FailureKind::HostError, "剪贴板上没有可粘贴的内容");
  const Clipboard& clip = *book_.clipboard_;
  const Range area = checkBlock(Range{row, col, row + clip.height - 1, col + clip.width - 1});
  changed_ = true;
  for (const Range& m : merges_)
    if (intersects(m, area) && !contains(area, m))
      throw Failure(FailureKind::HostError, "不能更改合并单元格的一部分");

  // A paste overwrites the whole area, the source's empty cells included.
  std::erase_if(merges_, [&](const Range& m) { return contains(area, m); });
  for (std::size_t i = rowIndex(area.row1), end = rowIndex(area.row2 + 1); i < end; ++i) {
    takeCells(rows_[i].cells, area.col1, area.col2);
    if (clip.wholeRows) rows_[i].format.reset();
  }
  placeClipboard(clip, row, col);
  tidyRows(area.row1, area.row2);
}

void MemorySheet::placeClipboard(const Clipboard& clip, int row, int col) {
  const int shift = col - clip.col1;
  for (const Row& source : clip.rows) {
    Row& target = rowAt(row + source.number);
    if (clip.wholeRows) target.format = source.format;
    if (shift == 0) {
      putCells(target.cells, SharedCells(source.cells));
      continue;
    }
    const CellRow& from = source.cells.read();
    CellRow cells;
    cells.reserve(from.size());
    for (const auto& [c, cell] : from) cells.push_back({c + shift, cell});
    putCells(target.cells, SharedCells(std::move(cells)));
  }
  for (const Range& m : clip.merges)
    recordMerge(Range{row + m.row1, col + m.col1, row + m.row2, col + m.col2});
}

}  // namespace valdrex::host
