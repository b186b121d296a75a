#include "valdrex/job/session/sheet_blocks.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <span>
#include <tuple>

#include "valdrex/host/date.h"

namespace valdrex {

using host::Range;

SheetValues::SheetValues(const host::MemorySheet& sheet) {
  sheet.forEachCell([&](int row, int col, const host::Cell& cell) {
    if (!cell.value.isEmpty()) cells_.push_back({{row, col}, cell.value});
  });
}

namespace {

// Runs of neighbouring cells of a row with one value become rectangles with the rows above whose
// runs cover the same columns with the same value.
template <class T>
class Rectangles {
 public:
  explicit Rectangles(std::vector<FormatBlock<T>>& out) : out_(out) {}
  ~Rectangles() {
    for (auto& [key, block] : open_) out_.push_back(std::move(block));
  }
  void add(int row, int col1, int col2, const T& value) {
    auto key = std::make_tuple(col1, col2, value);
    auto found = open_.find(key);
    if (found != open_.end() && found->second.range.row2 == row - 1) {
      found->second.range.row2 = row;
      return;
    }
    if (found != open_.end()) out_.push_back(std::move(found->second));
    open_[key] = FormatBlock<T>{{row, col1, row, col2}, value};
  }

 private:
  std::vector<FormatBlock<T>>& out_;
  std::map<std::tuple<int, int, T>, FormatBlock<T>> open_;
};

// One format part of every cell, each row's cells against what the row itself holds: the parts
// that differ from it in runs, after the rows' own parts.
template <class T, class Part>
void formatBlocks(const host::MemorySheet& sheet, const Part& part,
                  std::vector<FormatBlock<T>>& out) {
  const T none = part(host::CellFormat{}, Variant());
  {
    Rectangles<T> rows(out);
    sheet.forEachRow([&](int row, auto, const host::CellFormat* format) {
      if (format && part(*format, Variant()) != none)
        rows.add(row, 1, host::kMaxColumns, part(*format, Variant()));
    });
  }
  Rectangles<T> cells(out);
  sheet.forEachRow([&](int row, std::span<const std::pair<int, host::Cell>> rowCells,
                       const host::CellFormat* format) {
    const T base = format ? part(*format, Variant()) : none;
    bool running = false;
    T run{};
    int first = 0, last = 0;
    auto close = [&] {
      if (running) cells.add(row, first, last, run);
      running = false;
    };
    for (const auto& [col, cell] : rowCells) {
      T value = part(cell.format, cell.value);
      if (running && col == last + 1 && value == run) {
        last = col;
        continue;
      }
      close();
      if (value != base) running = true, run = std::move(value), first = last = col;
    }
    close();
  });
}

}  // namespace

SheetBlocks sheetBlocks(const SheetValues& before, const host::MemorySheet& after) {
  SheetBlocks blocks;
  const Range used = after.usedRange();
  int lastRow = used.row2, lastCol = used.col2;
  for (const auto& [at, value] : before.cells())
    lastRow = std::max(lastRow, at.first), lastCol = std::max(lastCol, at.second);

  // What the run removed, as far as the sheet reaches.
  std::optional<Range> box;
  for (Range b : after.removedBlocks()) {
    b.row2 = std::min(b.row2, lastRow), b.col2 = std::min(b.col2, lastCol);
    if (b.row1 > b.row2 || b.col1 > b.col2) continue;
    if (!box) box = b;
    box->row1 = std::min(box->row1, b.row1), box->col1 = std::min(box->col1, b.col1);
    box->row2 = std::max(box->row2, b.row2), box->col2 = std::max(box->col2, b.col2);
  }
  if (box) blocks.cleared.push_back(*box);
  auto inBox = [&](int row, int col) {
    return box && row >= box->row1 && row <= box->row2 && col >= box->col1 && col <= box->col2;
  };

  // The columns of each row to write: values in the emptied block, values changed elsewhere.
  // Each list comes in row order, so that a row's span grows at the end of it.
  using Spans = std::vector<std::pair<int, std::pair<int, int>>>;
  auto write = [](Spans& spans, int row, int first, int last) {
    if (spans.empty() || spans.back().first != row) return spans.push_back({row, {first, last}});
    auto& span = spans.back().second;
    span.first = std::min(span.first, first), span.second = std::max(span.second, last);
  };
  Spans emptied, written;
  for (const auto& [at, was] : before.cells())
    if (!inBox(at.first, at.second) && after.cell(at.first, at.second).isEmpty())
      write(emptied, at.first, at.second, at.second);
  std::vector<int> rowsWithValues;  // ascending
  auto was = before.cells().begin();
  after.forEachCell([&](int row, int col, const host::Cell& cell) {
    if (cell.value.isEmpty()) return;
    if (rowsWithValues.empty() || rowsWithValues.back() != row) rowsWithValues.push_back(row);
    const std::pair<int, int> at{row, col};
    while (was != before.cells().end() && was->first < at) ++was;
    const bool same = was != before.cells().end() && was->first == at && was->second == cell.value;
    if (inBox(row, col) || !same) write(written, row, col, col);
  });
  Spans both, spans;
  std::merge(emptied.begin(), emptied.end(), written.begin(), written.end(),
             std::back_inserter(both));
  for (const auto& [row, span] : both) write(spans, row, span.first, span.second);

  // Neighbouring rows make one block, and so do rows apart when the rows between hold no value:
  // what they held before lay where the run removed it, so emptying them changes nothing.
  auto emptyBetween = [&](int above, int below) {
    auto it = std::upper_bound(rowsWithValues.begin(), rowsWithValues.end(), above);
    return it == rowsWithValues.end() || *it >= below;
  };
  using Cells = std::span<const std::pair<int, host::Cell>>;
  std::vector<std::pair<int, Cells>> rows;  // by row number
  after.forEachRow([&](int row, Cells cells, auto) { rows.emplace_back(row, cells); });
  std::optional<Range> open;
  auto close = [&] {
    if (!open) return;
    const int width = open->col2 - open->col1 + 1;
    ValueBlock b{
        *open, std::vector<Variant>(static_cast<std::size_t>(open->row2 - open->row1 + 1) * width)};
    auto row = std::lower_bound(rows.begin(), rows.end(), std::make_pair(open->row1, Cells()),
                                [](const auto& a, const auto& b) { return a.first < b.first; });
    for (; row != rows.end() && row->first <= open->row2; ++row)
      for (const auto& [col, cell] : row->second)
        if (col >= open->col1 && col <= open->col2)
          b.values[static_cast<std::size_t>(row->first - open->row1) * width + (col - open->col1)] =
              cell.value;
    blocks.values.push_back(std::move(b));
    open.reset();
  };
  for (const auto& [row, span] : spans) {
    const bool joins = open && emptyBetween(open->row2, row);
    if (!joins) close();
    if (!open) open = Range{row, span.first, row, span.second};
    open->row2 = row;
    open->col1 = std::min(open->col1, span.first);
    open->col2 = std::max(open->col2, span.second);
  }
  close();

  using host::CellFormat;
  formatBlocks<uint8_t>(
      after, [](const CellFormat& f, const Variant&) { return f.borders; }, blocks.borders);
  formatBlocks<host::HAlign>(
      after, [](const CellFormat& f, const Variant&) { return f.align; }, blocks.alignments);
  formatBlocks<std::string>(
      after,
      [](const CellFormat& f, const Variant& v) {
        if (f.numberFormat.empty() && v.kind() == VarKind::Date)
          return std::string(kDateFormatCode);
        return f.numberFormat.str();
      },
      blocks.numberFormats);
  std::vector<FormatBlock<bool>> bold;
  formatBlocks<bool>(
      after, [](const CellFormat& f, const Variant&) { return f.bold; }, bold);
  for (const FormatBlock<bool>& b : bold)
    if (b.value) blocks.bold.push_back(b.range);
  blocks.merges = after.merges();
  return blocks;
}

}  // namespace valdrex
