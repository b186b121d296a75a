#include "libreoffice/calc_workbook.h"

#include <algorithm>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <osl/file.hxx>

#include "libreoffice/calc_page.h"
#include "libreoffice/uno_call.h"
#include "libreoffice/uno_text.h"
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

table::BorderLine2 thinLine() {
  table::BorderLine2 l;
  l.LineStyle = table::BorderLineStyle::SOLID;
  l.OuterLineWidth = 26;  // thin: 0.75 pt
  l.LineWidth = 26;
  return l;
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
  const_cast<CalcSheet*>(this)->flush();
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

void CalcSheet::changed() { loaded_.reset(); }

Variant CalcSheet::cell(int row, int col) const {
  clamped(host::singleCell(row, col));
  if (auto it = held_.find({row, col}); it != held_.end()) return it->second;
  const Loaded& l = loaded();
  if (row < l.area.row1 || row > l.area.row2 || col < l.area.col1 || col > l.area.col2)
    return Variant();
  const int width = l.area.col2 - l.area.col1 + 1;
  return l.values[static_cast<std::size_t>(row - l.area.row1) * width + (col - l.area.col1)];
}

void CalcSheet::putValue(int row, int col, const Variant& stored) {
  clamped(host::singleCell(row, col));
  held_[{row, col}] = stored;
}

void CalcSheet::writeBlocks(const SheetBlocks& blocks) {
  flush();
  fixRowHeights();
  changed();
  calling("写入结果", [&] {
    using namespace sheet::CellFlags;
    for (const Range& b : blocks.cleared) {
      Reference<util::XMergeable>(range(b), UNO_QUERY_THROW)->merge(false);
      Reference<sheet::XSheetOperation> op(range(b), UNO_QUERY_THROW);
      op->clearContents(VALUE | DATETIME | STRING | FORMULA | HARDATTR | STYLES | EDITATTR |
                        FORMATTED);
    }
    const std::vector<KeptFormula> kept = formulasLeftAlone(blocks);
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
    for (const KeptFormula& f : kept)
      sheet_->getCellByPosition(f.col - 1, f.row - 1)->setFormula(f.formula);
    auto set = [&](const Range& b, const char* property, const Any& value) {
      Reference<beans::XPropertySet> p(range(b), UNO_QUERY_THROW);
      p->setPropertyValue(OUString::createFromAscii(property), value);
    };
    for (const auto& [b, code] : blocks.numberFormats)
      set(b, "NumberFormat", Any(static_cast<sal_Int32>(book_.numberFormat(code))));
    for (const auto& [b, alignment] : blocks.alignments)
      set(b, "HoriJustify", Any(justification(alignment)));
    for (const Range& b : blocks.bold) set(b, "CharWeight", Any(awt::FontWeight::BOLD));
    for (const auto& [b, edges] : blocks.borders) applyBorder(b, edges);
    for (const Range& b : blocks.merges)
      Reference<util::XMergeable>(range(b), UNO_QUERY_THROW)->merge(true);
  });
}

// A value block writes every cell of its rectangle, the ones the run left alone too: a formula a
// teacher keeps there (outside what the run emptied) whose value the run did not change is put
// back afterwards, so that it does not become its value.
std::vector<CalcSheet::KeptFormula> CalcSheet::formulasLeftAlone(const SheetBlocks& blocks) const {
  std::vector<KeptFormula> kept;
  auto inside = [](const Range& r, int row, int col) {
    return row >= r.row1 && row <= r.row2 && col >= r.col1 && col <= r.col2;
  };
  for (const ValueBlock& b : blocks.values) {
    Reference<sheet::XCellRangesQuery> query(range(b.range), UNO_QUERY_THROW);
    const auto found = query->queryContentCells(sheet::CellFlags::FORMULA)->getRangeAddresses();
    const int width = b.range.col2 - b.range.col1 + 1;
    for (const table::CellRangeAddress& a : found) {
      const Range area{a.StartRow + 1, a.StartColumn + 1, a.EndRow + 1, a.EndColumn + 1};
      const auto formulas =
          Reference<sheet::XCellRangeFormula>(range(area), UNO_QUERY_THROW)->getFormulaArray();
      const auto values =
          Reference<sheet::XCellRangeData>(range(area), UNO_QUERY_THROW)->getDataArray();
      for (int row = area.row1; row <= area.row2; ++row)
        for (int col = area.col1; col <= area.col2; ++col) {
          if (std::any_of(blocks.cleared.begin(), blocks.cleared.end(),
                          [&](const Range& c) { return inside(c, row, col); }))
            continue;
          const Variant& now =
              b.values[static_cast<std::size_t>(row - b.range.row1) * width + (col - b.range.col1)];
          if (toAny(now) != values[row - area.row1][col - area.col1]) continue;
          kept.push_back({row, col, formulas[row - area.row1][col - area.col1]});
        }
    }
  }
  return kept;
}

// A fitted row keeps the height it has; the texts a run writes are one line in the sheet's font.
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
void CalcSheet::flush() {
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
  const_cast<CalcSheet*>(this)->flush();
  return writtenRange();
}

// The cells' contents alone: the used area would take in the drawings too, and placing a chart
// loaded with the document costs more than the rest of a run.
Range CalcSheet::writtenRange() const {
  return calling("取已用区域", [&] {
    using namespace sheet::CellFlags;
    Reference<sheet::XCellRangesQuery> query(sheet_, UNO_QUERY_THROW);
    const Sequence<table::CellRangeAddress> all =
        query->queryContentCells(VALUE | DATETIME | STRING | FORMULA)->getRangeAddresses();
    if (!all.hasElements()) return Range{};
    Range used{maxRow_, maxCol_, 1, 1};
    for (sal_Int32 i = 0; i < all.getLength(); ++i) {
      used.row1 = std::min(used.row1, all[i].StartRow + 1);
      used.col1 = std::min(used.col1, all[i].StartColumn + 1);
      used.row2 = std::max(used.row2, all[i].EndRow + 1);
      used.col2 = std::max(used.col2, all[i].EndColumn + 1);
    }
    return used;
  });
}

// A cell with all four edges takes one call for the whole block, the lines inside it included;
// one edge of every cell takes a call per row (top, bottom) or per column (left, right).
void CalcSheet::applyBorder(const Range& b, uint8_t edges) {
  auto frame = [&](const Range& r, uint8_t which, bool inner) {
    table::TableBorder2 t;
    const table::BorderLine2 l = thinLine();
    if (which & host::kEdgeTop) t.TopLine = l, t.IsTopLineValid = true;
    if (which & host::kEdgeBottom) t.BottomLine = l, t.IsBottomLineValid = true;
    if (which & host::kEdgeLeft) t.LeftLine = l, t.IsLeftLineValid = true;
    if (which & host::kEdgeRight) t.RightLine = l, t.IsRightLineValid = true;
    if (inner) {
      t.HorizontalLine = t.VerticalLine = l;
      t.IsHorizontalLineValid = t.IsVerticalLineValid = true;
    }
    Reference<beans::XPropertySet> p(range(r), UNO_QUERY_THROW);
    p->setPropertyValue("TableBorder2", Any(t));
  };
  constexpr uint8_t kAll = host::kEdgeLeft | host::kEdgeRight | host::kEdgeTop | host::kEdgeBottom;
  if (edges == kAll) return frame(b, edges, true);
  for (uint8_t edge : {host::kEdgeTop, host::kEdgeBottom})
    if (edges & edge)
      for (int r = b.row1; r <= b.row2; ++r) frame({r, b.col1, r, b.col2}, edge, false);
  for (uint8_t edge : {host::kEdgeLeft, host::kEdgeRight})
    if (edges & edge)
      for (int c = b.col1; c <= b.col2; ++c) frame({b.row1, c, b.row2, c}, edge, false);
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

void CalcSheet::setVisible(bool visible) {
  flush();
  calling("设置工作表可见性", [&] {
    Reference<beans::XPropertySet> p(sheet_, UNO_QUERY_THROW);
    p->setPropertyValue("IsVisible", Any(visible));
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

void CalcSheet::copyPageTo(host::MemorySheet& copy) {
  if (auto page = pageAsRead(book_.doc_, sheet_)) copy.setPageAsRead(*page);
  for (const auto& [col, width] : columnWidths(sheet_, writtenRange().col2))
    copy.setColumnWidth(col, width);
}

void CalcSheet::setPrintLayout(const host::PrintLayout& layout) {
  flush();
  writePrintLayout(book_.doc_, sheet_, layout);
}

void CalcSheet::setColumnWidths(const std::map<int, double>& widths) {
  flush();
  calc::setColumnWidths(sheet_, widths);
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
  for (auto& [name, sheet] : sheets_) sheet->flush();
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

std::unique_ptr<host::MemoryWorkbook> CalcWorkbook::copyForRun() {
  std::unique_ptr<host::MemoryWorkbook> wb = copyValues();
  for (std::size_t i = 0; i < wb->sheetCount(); ++i)
    if (isReportSheet(wb->sheetAt(i).name()))
      calcSheet(wb->sheetAt(i).name()).copyPageTo(wb->sheetAt(i));
  return wb;
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
