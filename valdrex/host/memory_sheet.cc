// Cells, used range, clearing and selection of the in-memory sheet.
#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "valdrex/host/failure.h"
#include "valdrex/host/memory_sheet_support.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/host/number_text.h"
#include "valdrex/host/utf8.h"

namespace valdrex::host {

using namespace sheet;

namespace {

// A cell holds at most this many UTF-16 code units; the spreadsheet drops the rest of a longer
// text written to it, and a file cannot hold more.
constexpr std::size_t kMaxCellText = 32767;

std::string cutToCellLimit(const std::string& text) {
  if (text.size() <= kMaxCellText) return text;  // UTF-8 is never shorter than UTF-16 units
  std::size_t units = 0, i = 0;
  while (i < text.size()) {
    const utf8::Char ch = utf8::decode(text, i);
    const std::size_t width = ch.cp >= 0x10000 ? 2 : 1;  // beyond the basic plane: a pair
    if (units + width > kMaxCellText) break;
    units += width;
    i += ch.size;
  }
  return text.substr(0, i);
}

}  // namespace

Variant storedCellValue(const Variant& value) {
  switch (value.kind()) {
    case VarKind::Text:
      if (value.text().empty()) return Variant();
      if (auto number = typedNumber(value.text())) return Variant::number(*number);
      if (value.text().size() > kMaxCellText) return Variant::text(cutToCellLimit(value.text()));
      return value;
    case VarKind::Integer:
    case VarKind::Long:
      return Variant::number(value.number());
    case VarKind::Single:
      return Variant::number(singleToDouble(static_cast<float>(value.number())));
    case VarKind::Double:
    case VarKind::Date:
      // A file cannot hold an infinity or a NaN: refuse it rather than write a broken workbook.
      if (!std::isfinite(value.number()))
        throw Failure(FailureKind::HostError, "单元格不能保存无穷大或非数值");
      return value;
    case VarKind::Object:
      throw Failure(FailureKind::TypeMismatch, "对象不能写入单元格");
    default:
      return value;
  }
}

MemorySheet::MemorySheet(MemoryWorkbook& book, std::string name)
    : book_(book), name_(std::move(name)) {}

std::size_t MemorySheet::rowIndex(int row) const {
  // A sheet is mostly written row after row, at its end.
  if (!rows_.empty() && rows_.back().number <= row)
    return rows_.back().number == row ? rows_.size() - 1 : rows_.size();
  // Cells are mostly visited along a row or down a column, now and then going back to a header
  // row: try the two rows found last and the rows after them.
  for (std::size_t& hint : rowHints_)
    for (std::size_t i = hint; i < rows_.size() && i <= hint + 1; ++i)
      if (rows_[i].number == row) return hint = i;
  auto it = std::lower_bound(rows_.begin(), rows_.end(), row,
                             [](const Row& r, int n) { return r.number < n; });
  rowHints_[1] = rowHints_[0];
  rowHints_[0] = static_cast<std::size_t>(it - rows_.begin());
  return rowHints_[0];
}

const MemorySheet::Row* MemorySheet::findRow(int row) const {
  std::size_t i = rowIndex(row);
  return i < rows_.size() && rows_[i].number == row ? &rows_[i] : nullptr;
}

MemorySheet::Row* MemorySheet::findRow(int row) {
  return const_cast<Row*>(std::as_const(*this).findRow(row));
}

MemorySheet::Row& MemorySheet::rowAt(int row) {
  std::size_t i = rowIndex(row);
  if (i < rows_.size() && rows_[i].number == row) return rows_[i];
  return *rows_.insert(rows_.begin() + i, Row{row, {}, std::nullopt});
}

Cell& MemorySheet::cellAt(Row& row, int col) {
  auto& cells = row.cells.write();
  std::size_t at = cells.size();
  if (cells.empty() || cells.back().first < col) {
    // A row of a table is mostly as wide as the row above it: make room for that at once
    // rather than growing the row cell by cell.
    if (cells.size() == cells.capacity() && &row != rows_.data()) {
      std::size_t above = (&row - 1)->cells.read().size();
      if (above > cells.size()) cells.reserve(std::max(above, 2 * cells.size()));
    }
    cells.emplace_back(std::piecewise_construct, std::forward_as_tuple(col), std::tuple<>());
  } else {
    bool found = false;
    at = cellPosition(cells, col, found);
    if (found) return cells[at].second;
    cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(at), {col, Cell{}});
  }
  if (row.format) cells[at].second.format = *row.format;
  return cells[at].second;
}

void MemorySheet::tidyRows(int first, int last) {
  std::size_t begin = rowIndex(first), end = rowIndex(last + 1);
  bool emptied = false;
  for (std::size_t i = begin; i < end; ++i) {
    Row& row = rows_[i];
    auto nothing = [&](const auto& c) { return holdsNothing(c.second, row.format); };
    // A row shared with another sheet is only copied when it really loses a cell.
    const CellRow& cells = row.cells.read();
    if (std::any_of(cells.begin(), cells.end(), nothing)) std::erase_if(row.cells.write(), nothing);
    emptied |= row.cells.read().empty() && !row.format;
  }
  if (!emptied) return;
  auto gone = std::remove_if(rows_.begin() + begin, rows_.begin() + end,
                             [](const Row& r) { return r.cells.read().empty() && !r.format; });
  rows_.erase(gone, rows_.begin() + end);
}

int MemorySheet::lastUsedRow() const {
  int last = rows_.empty() ? 0 : rows_.back().number;
  for (const Range& m : merges_) last = std::max(last, m.row2);
  return last;
}

int MemorySheet::lastCellColumn() const {
  int last = 0;
  for (const Row& row : rows_) {
    if (!row.cells.read().empty()) last = std::max(last, row.cells.read().back().first);
    if (row.format) last = std::max(last, 1);
  }
  return last;
}

std::size_t MemorySheet::index() const {
  for (std::size_t i = 0; i < book_.sheetCount(); ++i)
    if (&book_.sheetAt(i) == this) return i;
  return 0;
}

Variant MemorySheet::cell(int row, int col) const {
  const Cell* c = find(row, col);
  return c ? c->value : Variant();
}

void MemorySheet::setCell(int row, int col, const Variant& value) {
  checkCell(row, col);
  changed_ = true;
  Variant stored = storedCellValue(value);
  if (stored.isEmpty()) {
    // Emptying a cell that was never used leaves nothing behind.
    Row* existing = findRow(row);
    bool found = false;
    std::size_t at = existing ? cellPosition(existing->cells.read(), col, found) : 0;
    if (!found) return;
    Cell& cell = existing->cells.write()[at].second;
    cell.value = Variant();
    cell.formula.clear();
    tidyRows(row, row);
    return;
  }
  Cell& cell = cellAt(rowAt(row), col);
  cell.value = std::move(stored);
  cell.formula.clear();
}

Range MemorySheet::usedRange() const {
  if (rows_.empty() && merges_.empty()) return Range{};
  Range used{kMaxRows, kMaxColumns, 1, 1};
  auto take = [&](const Range& b) {
    used.row1 = std::min(used.row1, b.row1);
    used.col1 = std::min(used.col1, b.col1);
    used.row2 = std::max(used.row2, b.row2);
    used.col2 = std::max(used.col2, b.col2);
  };
  for (const Row& row : rows_) {
    const CellRow& cells = row.cells.read();
    if (!cells.empty())
      take(Range{row.number, cells.front().first, row.number, cells.back().first});
    if (row.format) take(singleCell(row.number, 1));
  }
  for (const Range& m : merges_) take(m);
  return used;
}

void MemorySheet::clear(const Range& block) {
  Range b = checkBlock(block);
  noteRemoved(b);
  std::erase_if(merges_, [&](const Range& m) { return intersects(m, b); });
  for (std::size_t i = rowIndex(b.row1), end = rowIndex(b.row2 + 1); i < end; ++i) {
    takeCells(rows_[i].cells, b.col1, b.col2);
    if (wholeRows(b)) rows_[i].format.reset();
  }
  tidyRows(b.row1, b.row2);
}

void MemorySheet::clearContents(const Range& block) {
  Range b = checkBlock(block);
  changed_ = true;
  for (std::size_t i = rowIndex(b.row1), end = rowIndex(b.row2 + 1); i < end; ++i) {
    auto [from, to] = columnSpan(rows_[i].cells.read(), b.col1, b.col2);
    if (from == to) continue;
    auto& cells = rows_[i].cells.write();
    for (std::size_t k = from; k < to; ++k) {
      cells[k].second.value = Variant();
      cells[k].second.formula.clear();
    }
  }
  tidyRows(b.row1, b.row2);
}

void MemorySheet::noteRemoved(const Range& b) {
  changed_ = true;
  // A run removes a few blocks; a long list only ever needs to be as precise as its outline.
  if (removed_.size() >= 64) {
    Range all = b;
    for (const Range& r : removed_)
      all = Range{std::min(all.row1, r.row1), std::min(all.col1, r.col1),
                  std::max(all.row2, r.row2), std::max(all.col2, r.col2)};
    removed_.assign(1, all);
    return;
  }
  removed_.push_back(b);
}

void MemorySheet::activate() { book_.activeSheet = index(); }

void MemorySheet::selectCell(int row, int col) {
  checkCell(row, col);
  activate();
  selection_ = std::make_pair(row, col);
}

void MemorySheet::setVisible(SheetVisibility visibility) {
  if (visibility == SheetVisibility::Visible) {
    visible_ = true;
    return;
  }
  if (!visible_) return;
  // A workbook whose every sheet is hidden cannot be opened again.
  std::size_t self = index(), next = self;
  for (std::size_t i = 1; i < book_.sheetCount() && next == self; ++i) {
    std::size_t k = (self + i) % book_.sheetCount();
    if (book_.sheetAt(k).visible()) next = k;
  }
  if (next == self) throw Failure(FailureKind::HostError, "工作簿至少要有一张可见的工作表");
  visible_ = false;
  if (book_.activeSheet == self) book_.activeSheet = next;
}

const Cell* MemorySheet::find(int row, int col) const {
  checkCell(row, col);
  const Row* r = findRow(row);
  if (!r) return nullptr;
  bool found = false;
  std::size_t at = cellPosition(r->cells.read(), col, found);
  return found ? &r->cells.read()[at].second : nullptr;
}

Cell& MemorySheet::at(int row, int col) {
  checkCell(row, col);
  changed_ = true;
  return cellAt(rowAt(row), col);
}

void MemorySheet::forEachCell(const std::function<void(int, int, const Cell&)>& visit) const {
  for (const Row& row : rows_)
    for (const auto& [col, cell] : row.cells.read()) visit(row.number, col, cell);
}

void MemorySheet::forEachRow(const std::function<void(int, std::span<const std::pair<int, Cell>>,
                                                      const CellFormat*)>& visit) const {
  for (const Row& row : rows_) {
    const CellRow& cells = row.cells.read();
    visit(row.number, std::span<const std::pair<int, Cell>>(cells.data(), cells.size()),
          row.format ? &*row.format : nullptr);
  }
}

std::size_t MemorySheet::cellCount() const {
  std::size_t n = 0;
  for (const Row& row : rows_) n += row.cells.read().size();
  return n;
}

const CellFormat* MemorySheet::rowFormat(int row) const {
  checkCell(row, 1);
  const Row* r = findRow(row);
  return r && r->format ? &*r->format : nullptr;
}

void MemorySheet::setRowFormat(int row, std::optional<CellFormat> format) {
  checkCell(row, 1);
  changed_ = true;
  if (format && format->empty()) format.reset();
  if (!format && !findRow(row)) return;
  rowAt(row).format = std::move(format);
  tidyRows(row, row);
}

}  // namespace valdrex::host
