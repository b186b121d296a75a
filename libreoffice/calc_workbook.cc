#include "libreoffice/calc_workbook.h"

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/CellDeleteMode.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/CellInsertMode.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/TableSortField.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/util/XSortable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <osl/file.hxx>

#include "libreoffice/uno_text.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/date.h"
#include "valdrex/host/failure.h"
#include "valdrex/job/session/workbook_sheets.h"

namespace valdrex::calc {

using namespace css;
using host::Range;
using uno::Any;
using uno::Reference;
using uno::Sequence;
using uno::UNO_QUERY_THROW;

namespace {

// What Calc refuses becomes the host's failure, with the office's own words.
template <class Call>
auto calling(const char* what, const Call& call) {
  try {
    return call();
  } catch (const uno::Exception& e) {
    throw Failure(FailureKind::HostError, std::string(what) + "失败：" + utf8(e.Message));
  }
}

Any toAny(const Variant& v) {
  switch (v.kind()) {
    case VarKind::Empty:
      return Any(OUString());  // an empty text writes an empty cell
    case VarKind::Text:
    case VarKind::Error:
      return Any(ustr(v.text()));
    default:
      return Any(v.number());
  }
}

Variant fromAny(const Any& a) {
  double number;
  if (a >>= number) return Variant::number(number);
  OUString text;
  if ((a >>= text) && !text.isEmpty()) return Variant::text(utf8(text));
  return Variant();  // empty, or an error value
}

bool wholeRows(const Range& b) { return b.col1 == 1 && b.col2 == host::kMaxColumns; }

table::BorderLine2 line(host::LineStyle style) {
  table::BorderLine2 l;
  if (style == host::LineStyle::Continuous) {
    l.LineStyle = table::BorderLineStyle::SOLID;
    l.OuterLineWidth = 26;  // thin: 0.75 pt
    l.LineWidth = 26;
  } else {
    l.LineStyle = table::BorderLineStyle::NONE;
  }
  return l;
}

constexpr unsigned kAllSides = 0xF;
unsigned bit(host::BorderSide side) { return 1u << static_cast<unsigned>(side); }

// A cell's edges (host::kEdge* bits) as the sides of a block.
unsigned sidesOf(uint8_t edges) {
  unsigned sides = 0;
  if (edges & host::kEdgeLeft) sides |= bit(host::BorderSide::Left);
  if (edges & host::kEdgeRight) sides |= bit(host::BorderSide::Right);
  if (edges & host::kEdgeTop) sides |= bit(host::BorderSide::Top);
  if (edges & host::kEdgeBottom) sides |= bit(host::BorderSide::Bottom);
  return sides;
}

table::CellHoriJustify justification(host::HAlign alignment) {
  switch (alignment) {
    case host::HAlign::Left:
      return table::CellHoriJustify_LEFT;
    case host::HAlign::Center:
      return table::CellHoriJustify_CENTER;
    case host::HAlign::Right:
      return table::CellHoriJustify_RIGHT;
    default:
      return table::CellHoriJustify_STANDARD;
  }
}

}  // namespace

// --- CalcSheet

CalcSheet::CalcSheet(CalcWorkbook& book, Reference<sheet::XSpreadsheet> sheet, std::string name)
    : book_(book), sheet_(std::move(sheet)), name_(std::move(name)) {
  Reference<table::XColumnRowRange> rc(sheet_, UNO_QUERY_THROW);
  maxRow_ = rc->getRows()->getCount();
  maxCol_ = rc->getColumns()->getCount();
}

CalcSheet::~CalcSheet() = default;

int CalcSheet::index() const {
  Reference<sheet::XCellRangeAddressable> a(sheet_, UNO_QUERY_THROW);
  return a->getRangeAddress().Sheet;
}

Range CalcSheet::clamped(Range b) const {
  if (b.row1 < 1 || b.col1 < 1 || b.row1 > maxRow_ || b.col1 > maxCol_)
    throw Failure(FailureKind::HostError,
                  "单元格超出工作表范围：" + host::cellName(b.row1, b.col1));
  b.row2 = std::min(b.row2, maxRow_);
  b.col2 = std::min(b.col2, maxCol_);
  return b;
}

Reference<table::XCellRange> CalcSheet::range(const Range& block) const {
  Range b = clamped(block);
  return calling("取单元格区域", [&] {
    return sheet_->getCellRangeByPosition(b.col1 - 1, b.row1 - 1, b.col2 - 1, b.row2 - 1);
  });
}

const CalcSheet::Loaded& CalcSheet::loaded() const {
  const_cast<CalcSheet*>(this)->insertPendingRows();
  if (loaded_) return *loaded_;
  Loaded l;
  l.area = usedRange();
  Sequence<Sequence<Any>> data = calling("读取单元格", [&] {
    Reference<sheet::XCellRangeData> d(range(l.area), UNO_QUERY_THROW);
    return d->getDataArray();
  });
  const int width = l.area.col2 - l.area.col1 + 1;
  l.values.resize(static_cast<std::size_t>(data.getLength()) * width);
  for (sal_Int32 r = 0; r < data.getLength(); ++r)
    for (sal_Int32 c = 0; c < data[r].getLength() && c < width; ++c)
      l.values[static_cast<std::size_t>(r) * width + c] = fromAny(data[r][c]);
  return *(loaded_ = std::move(l));
}

// A sheet object's own area moves with the cells Calc inserts or deletes, and the positions of
// ranges taken from it with it: after a change of layout the sheet is taken afresh.
void CalcSheet::changed() {
  loaded_.reset();
  sheet_.set(book_.doc_->getSheets()->getByName(ustr(name_)), UNO_QUERY_THROW);
}

Variant CalcSheet::cell(int row, int col) const {
  clamped(host::singleCell(row, col));
  if (auto it = held_.find({row, col}); it != held_.end()) return it->second;
  const Loaded& l = loaded();
  if (row < l.area.row1 || row > l.area.row2 || col < l.area.col1 || col > l.area.col2)
    return Variant();
  const int width = l.area.col2 - l.area.col1 + 1;
  return l.values[static_cast<std::size_t>(row - l.area.row1) * width + (col - l.area.col1)];
}

void CalcSheet::setCell(int row, int col, const Variant& value) {
  putValue(row, col, host::storedCellValue(value));
}

void CalcSheet::putValue(int row, int col, const Variant& stored) {
  clamped(host::singleCell(row, col));
  held_[{row, col}] = stored;
}

void CalcSheet::writeBlocks(const SheetBlocks& blocks) {
  changing();
  changed();
  calling("写入结果", [&] {
    using namespace sheet::CellFlags;
    for (const Range& b : blocks.cleared) {
      Reference<util::XMergeable>(range(b), UNO_QUERY_THROW)->merge(false);
      Reference<sheet::XSheetOperation> op(range(b), UNO_QUERY_THROW);
      op->clearContents(VALUE | DATETIME | STRING | FORMULA | HARDATTR | STYLES | EDITATTR |
                        FORMATTED);
    }
    for (const ValueBlock& b : blocks.values) {
      const int width = b.range.col2 - b.range.col1 + 1;
      std::vector<Sequence<Any>> rows;
      for (std::size_t i = 0; i < b.values.size(); i += width) {
        Sequence<Any> row(width);
        Any* cells = row.getArray();
        for (int c = 0; c < width; ++c) cells[c] = toAny(b.values[i + c]);
        rows.push_back(std::move(row));
      }
      Reference<sheet::XCellRangeData> d(range(b.range), UNO_QUERY_THROW);
      d->setDataArray(Sequence<Sequence<Any>>(rows.data(), static_cast<sal_Int32>(rows.size())));
    }
    auto set = [&](const Range& b, const char* property, const Any& value) {
      Reference<beans::XPropertySet> p(range(b), UNO_QUERY_THROW);
      p->setPropertyValue(OUString::createFromAscii(property), value);
    };
    for (const auto& [b, code] : blocks.numberFormats)
      set(b, "NumberFormat", Any(static_cast<sal_Int32>(book_.numberFormat(code))));
    for (const auto& [b, alignment] : blocks.alignments)
      set(b, "HoriJustify", Any(justification(alignment)));
    for (const Range& b : blocks.bold) set(b, "CharWeight", Any(awt::FontWeight::BOLD));
    for (const auto& [b, edges] : blocks.borders)
      applyBorder(b, sidesOf(edges), host::LineStyle::Continuous);
    for (const Range& b : blocks.merges)
      Reference<util::XMergeable>(range(b), UNO_QUERY_THROW)->merge(true);
  });
}

void CalcSheet::flush() {
  flushCells();
  flushBorder();
}

void CalcSheet::holdPrintTitles() {
  // Only the ranking sheets, whose title rows move: elsewhere laying out a sheet's pages again
  // when the titles come back costs more than its few rows inserted or deleted.
  if (heldTitles_ || !book_.fixHeights_ ||
      (name_ != ReportSheets::classPlain && name_ != ReportSheets::classDetailed &&
       name_ != ReportSheets::gradePlain && name_ != ReportSheets::gradeDetailed))
    return;
  calling("取消打印标题", [&] {
    Reference<sheet::XPrintAreas> print(sheet_, UNO_QUERY_THROW);
    PrintTitles held;
    if (print->getPrintTitleRows()) held.rows = print->getTitleRows();
    if (print->getPrintTitleColumns()) held.columns = print->getTitleColumns();
    if (held.rows) print->setPrintTitleRows(false);
    if (held.columns) print->setPrintTitleColumns(false);
    heldTitles_ = held;
  });
}

// Setting the titles turns them on: one layout of the pages each.
void CalcSheet::finish() {
  flush();
  if (!heldTitles_) return;
  const PrintTitles held = *heldTitles_;
  heldTitles_.reset();
  calling("恢复打印标题", [&] {
    Reference<sheet::XPrintAreas> print(sheet_, UNO_QUERY_THROW);
    if (held.rows) print->setTitleRows(*held.rows);
    if (held.rows && !print->getPrintTitleRows()) print->setPrintTitleRows(true);
    if (held.columns) print->setTitleColumns(*held.columns);
    if (held.columns && !print->getPrintTitleColumns()) print->setPrintTitleColumns(true);
  });
}

void CalcSheet::changing() {
  flush();
  fixRowHeights();
}

// A fitted row keeps the height it has (rows inserted later take their neighbour's); the texts a
// run writes are one line in the sheet's font.
void CalcSheet::fixRowHeights() {
  if (heightsFixed_ || !book_.fixHeights_ || !isReportSheet(name_)) return;
  heightsFixed_ = true;
  const int below = writtenRange().row2;  // index of the first row below the used area
  calling("固定行高", [&] {
    Reference<table::XColumnRowRange> all(sheet_, UNO_QUERY_THROW);
    Reference<container::XIndexAccess> rows(all->getRows(), UNO_QUERY_THROW);
    auto fix = [&](int first, int last, sal_Int32 height) {
      Reference<table::XColumnRowRange> r(sheet_->getCellRangeByPosition(0, first, 0, last),
                                          UNO_QUERY_THROW);
      Reference<beans::XPropertySet>(r->getRows(), UNO_QUERY_THROW)
          ->setPropertyValue("Height", Any(height));
    };
    int first = -1;
    sal_Int32 height = 0;
    for (int i = 0; i <= below; ++i) {
      Reference<beans::XPropertySet> row(rows->getByIndex(i), UNO_QUERY_THROW);
      bool fitted = false;
      sal_Int32 h = 0;
      row->getPropertyValue("OptimalHeight") >>= fitted;
      row->getPropertyValue("Height") >>= h;
      if (first >= 0 && (!fitted || h != height)) fix(first, i - 1, height), first = -1;
      if (fitted && first < 0) first = i, height = h;
    }
    if (first >= 0) fix(first, maxRow_ - 1, height);  // the empty rows below as the first of them
  });
}

// Held cells go out as rectangles: runs of neighbouring cells in a row, and runs of rows whose
// runs cover the same columns. Only held cells are written, so formulas around them stay.
void CalcSheet::flushCells() {
  insertPendingRows();
  if (held_.empty()) return;
  fixRowHeights();
  struct Block {
    int row1, col1, row2, col2;
    std::vector<Sequence<Any>> rows;
  };
  std::vector<Block> done;
  std::map<std::pair<int, int>, Block> open;  // by columns
  std::vector<std::pair<int, int>> dates;
  auto it = held_.begin();
  while (it != held_.end()) {
    const int row = it->first.first, col1 = it->first.second;
    std::vector<Any> run;
    int col = col1;
    for (; it != held_.end() && it->first.first == row && it->first.second == col; ++it, ++col) {
      if (it->second.kind() == VarKind::Date) dates.emplace_back(row, col);
      run.push_back(toAny(it->second));
    }
    Sequence<Any> values(run.data(), static_cast<sal_Int32>(run.size()));
    auto found = open.find({col1, col - 1});
    if (found != open.end() && found->second.row2 == row - 1) {
      found->second.row2 = row;
      found->second.rows.push_back(std::move(values));
    } else {
      if (found != open.end()) done.push_back(std::move(found->second));
      open[{col1, col - 1}] = Block{row, col1, row, col - 1, {std::move(values)}};
    }
  }
  for (auto& [span, b] : open) done.push_back(std::move(b));
  held_.clear();
  changed();
  calling("写入单元格", [&] {
    for (const Block& b : done) {
      Reference<sheet::XCellRangeData> d(range({b.row1, b.col1, b.row2, b.col2}), UNO_QUERY_THROW);
      d->setDataArray(
          Sequence<Sequence<Any>>(b.rows.data(), static_cast<sal_Int32>(b.rows.size())));
    }
    for (auto [row, col] : dates) {
      Reference<beans::XPropertySet> p(range(host::singleCell(row, col)), UNO_QUERY_THROW);
      p->setPropertyValue(
          "NumberFormat",
          Any(static_cast<sal_Int32>(book_.numberFormat(std::string(kDateFormatCode)))));
    }
  });
}

Range CalcSheet::usedRange() const {
  const_cast<CalcSheet*>(this)->flushCells();
  return writtenRange();
}

Range CalcSheet::writtenRange() const {
  return calling("取已用区域", [&] {
    Reference<sheet::XSheetCellCursor> cursor = sheet_->createCursor();
    Reference<sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
    used->gotoStartOfUsedArea(false);
    used->gotoEndOfUsedArea(true);
    Reference<sheet::XCellRangeAddressable> a(cursor, UNO_QUERY_THROW);
    table::CellRangeAddress r = a->getRangeAddress();
    return Range{r.StartRow + 1, r.StartColumn + 1, r.EndRow + 1, r.EndColumn + 1};
  });
}

void CalcSheet::clearValues(const Range& block) {
  using namespace sheet::CellFlags;
  Reference<sheet::XSheetOperation> op(range(block), UNO_QUERY_THROW);
  op->clearContents(VALUE | DATETIME | STRING | FORMULA);
}

void CalcSheet::clear(const Range& block) {
  changing();
  changed();
  calling("清除", [&] {
    using namespace sheet::CellFlags;
    Reference<util::XMergeable>(range(block), UNO_QUERY_THROW)->merge(false);
    Reference<sheet::XSheetOperation> op(range(block), UNO_QUERY_THROW);
    op->clearContents(VALUE | DATETIME | STRING | FORMULA | HARDATTR | STYLES | EDITATTR |
                      FORMATTED);
  });
}

void CalcSheet::clearContents(const Range& block) {
  changing();
  changed();
  calling("清除内容", [&] { clearValues(block); });
}

void CalcSheet::deleteCells(const Range& block) {
  changing();
  Range b = clamped(block);
  calling("删除", [&] {
    Reference<sheet::XCellRangeMovement> move(sheet_, UNO_QUERY_THROW);
    move->removeRange(
        {static_cast<sal_Int16>(index()), b.col1 - 1, b.row1 - 1, b.col2 - 1, b.row2 - 1},
        wholeRows(block) ? sheet::CellDeleteMode_ROWS : sheet::CellDeleteMode_UP);
  });
  changed();
  // Most likely the sheet's old result is gone now, and its pages are laid out in no time.
  holdPrintTitles();
}

void CalcSheet::insertRow(int row) {
  clamped(host::singleCell(row, 1));
  holdPrintTitles();
  // A copied row of this sheet above `row` waits, with the rows inserted at `row` right before.
  const std::optional<CalcWorkbook::Clipboard>& clip = book_.clipboard_;
  if (clip && clip->wholeRows && clip->sheet == name_ && clip->block.row1 == clip->block.row2 &&
      clip->block.row2 < row) {
    if (pendingRows_ && pendingRows_->row == row && held_.empty() && !heldBorder_) {
      pendingRows_->sources.insert(pendingRows_->sources.begin(), clip->block);
    } else {
      changing();
      pendingRows_ = PendingRows{row, {clip->block}};
    }
    book_.clipboard_.reset();
    return;
  }
  changing();
  std::optional<CalcWorkbook::Clipboard> copied;
  if (book_.clipboard_ && book_.clipboard_->wholeRows) copied.swap(book_.clipboard_);
  calling("插入行", [&] {
    Reference<sheet::XCellRangeMovement> move(sheet_, UNO_QUERY_THROW);
    const auto tab = static_cast<sal_Int16>(index());
    const int height = copied ? copied->block.row2 - copied->block.row1 + 1 : 1;
    move->insertCells({tab, 0, row - 1, maxCol_ - 1, row - 1 + height - 1},
                      sheet::CellInsertMode_ROWS);
    changed();
    if (!copied) {
      // Calc gives a new row the formats of its neighbour; the library's new row is empty.
      using namespace sheet::CellFlags;
      Reference<sheet::XSheetOperation> op(range(host::wholeRow(row)), UNO_QUERY_THROW);
      op->clearContents(HARDATTR | STYLES | EDITATTR | FORMATTED);
      return;
    }
    CalcSheet& from = book_.calcSheet(copied->sheet);
    Range src = copied->block;
    if (&from == this && src.row1 >= row) src.row1 += height, src.row2 += height;
    from.flush();
    move->copyRange({tab, 0, row - 1}, {static_cast<sal_Int16>(from.index()), src.col1 - 1,
                                        src.row1 - 1, src.col2 - 1, src.row2 - 1});
  });
  changed();
}

void CalcSheet::insertPendingRows() {
  if (!pendingRows_) return;
  const PendingRows pending = std::move(*pendingRows_);
  pendingRows_.reset();
  const int count = static_cast<int>(pending.sources.size());
  calling("插入行", [&] {
    Reference<sheet::XCellRangeMovement> move(sheet_, UNO_QUERY_THROW);
    const auto tab = static_cast<sal_Int16>(index());
    move->insertCells({tab, 0, pending.row - 1, maxCol_ - 1, pending.row - 1 + count - 1},
                      sheet::CellInsertMode_ROWS);
    changed();
    for (int i = 0; i < count; ++i) {
      const Range& src = pending.sources[i];
      move->copyRange({tab, 0, pending.row - 1 + i},
                      {tab, src.col1 - 1, src.row1 - 1, src.col2 - 1, src.row2 - 1});
    }
  });
  changed();
}

// Whole rows are copied as far as the sheet has cells: Calc would copy all 16384 columns of them,
// each copy costing more than the rest of a run. Rows above rows waiting to be inserted are copied
// without inserting them first: they stay where they are.
void CalcSheet::copy(const Range& block) {
  if (!pendingRows_ || !wholeRows(block) || block.row2 >= pendingRows_->row || !held_.empty() ||
      heldBorder_)
    flush();
  Range b = clamped(block);
  if (wholeRows(block)) b.col2 = std::max(1, writtenRange().col2);
  book_.clipboard_ = CalcWorkbook::Clipboard{name_, b, wholeRows(block)};
}

void CalcSheet::pasteSpecial(int row, int col) {
  if (!book_.clipboard_) throw Failure(FailureKind::HostError, "剪贴板上没有内容");
  changing();
  changed();
  clamped(host::singleCell(row, col));
  const CalcWorkbook::Clipboard& c = *book_.clipboard_;
  CalcSheet& from = book_.calcSheet(c.sheet);
  from.flush();
  calling("粘贴", [&] {
    Reference<sheet::XCellRangeMovement> move(sheet_, UNO_QUERY_THROW);
    move->copyRange({static_cast<sal_Int16>(index()), col - 1, row - 1},
                    {static_cast<sal_Int16>(from.index()), c.block.col1 - 1, c.block.row1 - 1,
                     c.block.col2 - 1, c.block.row2 - 1});
  });
}

// Calc's own sort compares texts by the locale's collation, not as the library does. So the
// library's order is computed here, written as numbers into the first key column, Calc sorts by
// them (cell formats moving with their rows), and the key cells get their values back.
void CalcSheet::sort(const Range& block, std::span<const host::SortKey> keys, bool header) {
  if (keys.empty() || keys.size() > 3)
    throw Failure(FailureKind::HostError, "排序关键字须为一到三个");
  changing();
  Range b = clamped(block);
  for (const host::SortKey& key : keys)
    if (key.column < b.col1 || key.column > b.col2)
      throw Failure(FailureKind::HostError,
                    "排序关键字不在排序区域内：第 " + std::to_string(key.column) + " 列");
  const Range sorted{b.row1 + (header ? 1 : 0), b.col1, b.row2, b.col2};
  if (sorted.row1 > sorted.row2) return;
  const int rows = sorted.row2 - sorted.row1 + 1;
  std::vector<std::array<Variant, 3>> keyValues(rows);
  std::vector<std::array<const Variant*, 3>> keyCells(rows);
  for (int i = 0; i < rows; ++i)
    for (std::size_t k = 0; k < keys.size(); ++k) {
      keyValues[i][k] = cell(sorted.row1 + i, keys[k].column);
      if (!keyValues[i][k].isEmpty()) keyCells[i][k] = &keyValues[i][k];
    }
  const std::vector<std::size_t> order = host::sortedRowOrder(keyCells, keys);
  bool moves = false;
  for (std::size_t i = 0; i < order.size(); ++i) moves |= order[i] != i;
  if (!moves) return;

  const int keyColumn = keys[0].column;
  const Range keyBlock{sorted.row1, keyColumn, sorted.row2, keyColumn};
  auto writeKeyColumn = [&](auto valueOf) {
    std::vector<Sequence<Any>> column;
    for (int i = 0; i < rows; ++i) {
      const Any value = valueOf(i);
      column.emplace_back(&value, 1);
    }
    Reference<sheet::XCellRangeData> d(range(keyBlock), UNO_QUERY_THROW);
    d->setDataArray(Sequence<Sequence<Any>>(column.data(), rows));
  };
  std::vector<int> place(rows);
  for (int j = 0; j < rows; ++j) place[order[j]] = j;
  changed();
  calling("排序", [&] {
    writeKeyColumn([&](int i) { return Any(static_cast<double>(place[i])); });
    Reference<util::XSortable> sortable(range(sorted), UNO_QUERY_THROW);
    Sequence<beans::PropertyValue> descriptor = sortable->createSortDescriptor();
    table::TableSortField field;
    field.Field = keyColumn - sorted.col1;
    field.IsAscending = true;
    field.FieldType = table::TableSortFieldType_NUMERIC;
    for (sal_Int32 i = 0; i < descriptor.getLength(); ++i) {
      beans::PropertyValue& p = descriptor.getArray()[i];
      if (p.Name == "SortFields") p.Value <<= Sequence<table::TableSortField>(&field, 1);
      if (p.Name == "ContainsHeader" || p.Name == "IsSortColumns") p.Value <<= false;
      if (p.Name == "BindFormatsToContent") p.Value <<= true;
    }
    sortable->sort(descriptor);
    writeKeyColumn([&](int j) { return toAny(keyValues[order[j]][0]); });
  });
}

void CalcSheet::merge(const Range& block) {
  changing();
  changed();
  Range b = clamped(block);
  calling("合并单元格", [&] {
    Reference<util::XMergeable>(range(b), UNO_QUERY_THROW)->merge(true);
    // The merged cell keeps the top-left value only, as the library's workbook does.
    if (b.col2 > b.col1) clearValues({b.row1, b.col1 + 1, b.row1, b.col2});
    if (b.row2 > b.row1) clearValues({b.row1 + 1, b.col1, b.row2, b.col2});
  });
}

void CalcSheet::setHorizontalAlignment(const Range& block, host::HAlign alignment) {
  changing();
  calling("设置对齐", [&] {
    Reference<beans::XPropertySet> p(range(block), UNO_QUERY_THROW);
    p->setPropertyValue("HoriJustify", Any(justification(alignment)));
  });
}

void CalcSheet::setNumberFormat(const Range& block, const std::string& code) {
  changing();
  calling("设置数字格式", [&] {
    Reference<beans::XPropertySet> p(range(block), UNO_QUERY_THROW);
    p->setPropertyValue("NumberFormat", Any(static_cast<sal_Int32>(book_.numberFormat(code))));
  });
}

// The sides of one block are held back until all four came: then one call frames the block and
// every line inside it, which is one side of every cell four times over.
void CalcSheet::setBorder(const Range& block, host::BorderSide side, host::LineStyle style) {
  Range b = clamped(block);
  fixRowHeights();
  if (heldBorder_ && (heldBorder_->block != b || heldBorder_->style != style)) flushBorder();
  if (!heldBorder_) heldBorder_ = HeldBorder{b, style, 0};
  heldBorder_->sides |= bit(side);
  if (heldBorder_->sides == kAllSides) flushBorder();
}

void CalcSheet::flushBorder() {
  insertPendingRows();
  if (!heldBorder_) return;
  HeldBorder held = *heldBorder_;
  heldBorder_.reset();
  calling("设置边框", [&] { applyBorder(held.block, held.sides, held.style); });
}

void CalcSheet::applyBorder(const Range& b, unsigned sides, host::LineStyle style) {
  auto frame = [&](const Range& r, unsigned which, bool inner) {
    table::TableBorder2 t;
    const table::BorderLine2 l = line(style);
    if (which & bit(host::BorderSide::Top)) t.TopLine = l, t.IsTopLineValid = true;
    if (which & bit(host::BorderSide::Bottom)) t.BottomLine = l, t.IsBottomLineValid = true;
    if (which & bit(host::BorderSide::Left)) t.LeftLine = l, t.IsLeftLineValid = true;
    if (which & bit(host::BorderSide::Right)) t.RightLine = l, t.IsRightLineValid = true;
    if (inner) {
      t.HorizontalLine = t.VerticalLine = l;
      t.IsHorizontalLineValid = t.IsVerticalLineValid = true;
    }
    Reference<beans::XPropertySet> p(range(r), UNO_QUERY_THROW);
    p->setPropertyValue("TableBorder2", Any(t));
  };
  if (sides == kAllSides) return frame(b, sides, true);
  // One side of every cell: row by row for the top and bottom, column by column for the others.
  for (host::BorderSide s : {host::BorderSide::Top, host::BorderSide::Bottom})
    if (sides & bit(s))
      for (int r = b.row1; r <= b.row2; ++r) frame({r, b.col1, r, b.col2}, bit(s), false);
  for (host::BorderSide s : {host::BorderSide::Left, host::BorderSide::Right})
    if (sides & bit(s))
      for (int c = b.col1; c <= b.col2; ++c) frame({b.row1, c, b.row2, c}, bit(s), false);
}

void CalcSheet::activate() {
  flush();
  calling("激活工作表", [&] {
    Reference<frame::XModel> model(book_.doc_, UNO_QUERY_THROW);
    Reference<sheet::XSpreadsheetView> view(model->getCurrentController(), uno::UNO_QUERY);
    if (view.is()) view->setActiveSheet(sheet_);
  });
}

void CalcSheet::selectCell(int row, int col) {
  activate();
  calling("选定单元格", [&] {
    Reference<frame::XModel> model(book_.doc_, UNO_QUERY_THROW);
    Reference<view::XSelectionSupplier> view(model->getCurrentController(), uno::UNO_QUERY);
    if (view.is()) view->select(Any(range(host::singleCell(row, col))));
  });
}

void CalcSheet::setVisible(host::SheetVisibility visibility) {
  flush();
  calling("设置工作表可见性", [&] {
    Reference<beans::XPropertySet> p(sheet_, UNO_QUERY_THROW);
    p->setPropertyValue("IsVisible", Any(visibility == host::SheetVisibility::Visible));
  });
}

void CalcSheet::copyValuesTo(host::MemorySheet& copy) {
  const Loaded& l = loaded();
  const int width = l.area.col2 - l.area.col1 + 1;
  for (std::size_t i = 0; i < l.values.size(); ++i)
    if (!l.values[i].isEmpty())
      copy.at(l.area.row1 + static_cast<int>(i / width), l.area.col1 + static_cast<int>(i % width))
          .value = l.values[i];
}

// --- CalcWorkbook

CalcWorkbook::CalcWorkbook(Reference<sheet::XSpreadsheetDocument> doc) : doc_(std::move(doc)) {}
CalcWorkbook::~CalcWorkbook() = default;

std::vector<std::string> CalcWorkbook::sheetNames() const {
  std::vector<std::string> names;
  for (const OUString& n : doc_->getSheets()->getElementNames()) names.push_back(utf8(n));
  return names;
}

bool CalcWorkbook::hasSheet(std::string_view name) {
  return doc_->getSheets()->hasByName(ustr(name));
}

CalcSheet& CalcWorkbook::calcSheet(std::string_view name) {
  if (auto it = sheets_.find(name); it != sheets_.end()) return *it->second;
  if (!hasSheet(name))
    throw Failure(FailureKind::HostError, "找不到工作表“" + std::string(name) + "”");
  Reference<sheet::XSpreadsheet> sheet(doc_->getSheets()->getByName(ustr(name)), UNO_QUERY_THROW);
  auto made = std::make_unique<CalcSheet>(*this, sheet, std::string(name));
  return *sheets_.emplace(std::string(name), std::move(made)).first->second;
}

void CalcWorkbook::addSheet(const std::string& name) {
  calling("添加工作表", [&] {
    Reference<sheet::XSpreadsheets> sheets = doc_->getSheets();
    Reference<container::XIndexAccess> all(sheets, UNO_QUERY_THROW);
    sheets->insertNewByName(ustr(name), static_cast<sal_Int16>(all->getCount()));
  });
}

void CalcWorkbook::flush() {
  for (auto& [name, sheet] : sheets_) sheet->finish();
}

std::string CalcWorkbook::filePath() const {
  const OUString url = Reference<frame::XModel>(doc_, UNO_QUERY_THROW)->getURL();
  OUString path;
  if (url.isEmpty() || osl::FileBase::getSystemPathFromFileURL(url, path) != osl::FileBase::E_None)
    return "";
  return utf8(path);
}

std::string CalcWorkbook::fileName() const {
  const std::string path = filePath();
  return path.substr(path.find_last_of('/') + 1);
}

std::string CalcWorkbook::folderPath() const {
  const std::string path = filePath();
  return path.empty() ? "" : path.substr(0, path.find_last_of('/'));
}

void CalcWorkbook::save() {
  flush();
  calling("保存", [&] { Reference<frame::XStorable>(doc_, UNO_QUERY_THROW)->store(); });
}

int CalcWorkbook::numberFormat(const std::string& code) {
  if (code.empty()) return 0;  // General
  if (auto it = numberFormats_.find(code); it != numberFormats_.end()) return it->second;
  Reference<util::XNumberFormatsSupplier> s(doc_, UNO_QUERY_THROW);
  Reference<util::XNumberFormats> formats = s->getNumberFormats();
  const lang::Locale locale;
  sal_Int32 key = formats->queryKey(ustr(code), locale, false);
  if (key < 0) key = formats->addNew(ustr(code), locale);
  return numberFormats_[code] = key;
}

std::unique_ptr<host::MemoryWorkbook> CalcWorkbook::copyValues() {
  auto wb = std::make_unique<host::MemoryWorkbook>();
  const std::vector<std::string> names = sheetNames();
  for (const std::string& name : names) calcSheet(name).copyValuesTo(wb->addSheet(name));
  Reference<frame::XModel> model(doc_, UNO_QUERY_THROW);
  Reference<sheet::XSpreadsheetView> view(model->getCurrentController(), uno::UNO_QUERY);
  const std::string active =
      view.is()
          ? utf8(Reference<container::XNamed>(view->getActiveSheet(), UNO_QUERY_THROW)->getName())
          : "";
  for (std::size_t i = 0; i < names.size(); ++i) {
    bool visible = true;
    Reference<beans::XPropertySet>(doc_->getSheets()->getByName(ustr(names[i])), UNO_QUERY_THROW)
        ->getPropertyValue("IsVisible") >>= visible;
    if (!visible) wb->sheetAt(i).setVisible(host::SheetVisibility::Hidden);
  }
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == active) wb->activeSheet = i;
  return wb;
}

}  // namespace valdrex::calc
