#include "valdrex/io/sheet_reader.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <type_traits>
#include <unordered_map>

#include "valdrex/host/date.h"
#include "valdrex/host/float_chars.h"
#include "valdrex/io/cell_reference.h"
#include "valdrex/io/format_problem.h"
#include "valdrex/io/formula_shift.h"
#include "valdrex/io/number_formats.h"
#include "valdrex/io/page_header.h"
#include "valdrex/io/string_item.h"
#include "valdrex/io/xml_parser.h"

namespace valdrex::io {
namespace {

enum class CellType { Number, Shared, FormulaText, Inline, Boolean, Error, IsoDate };

std::optional<CellType> cellType(std::string_view t) {
  if (t.empty() || t == "n") return CellType::Number;
  if (t == "s") return CellType::Shared;
  if (t == "str") return CellType::FormulaText;
  if (t == "inlineStr") return CellType::Inline;
  if (t == "b") return CellType::Boolean;
  if (t == "e") return CellType::Error;
  if (t == "d") return CellType::IsoDate;
  return std::nullopt;
}

bool isTrue(std::string_view v) { return v == "1" || v == "true"; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() &&
         (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

template <class T>
bool parseNumber(std::string_view s, T& out) {
  s = trimmed(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if constexpr (std::is_floating_point_v<T>) {
    return host::readDouble(s, out);
  } else {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
  }
}

bool isErrorCode(std::string_view s) {
  return s == "#N/A" || s == "#DIV/0!" || s == "#VALUE!" || s == "#REF!" || s == "#NAME?" ||
         s == "#NUM!" || s == "#NULL!" || s == "#GETTING_DATA";
}

// "2024-03-01", "2024-03-01T08:30:00" or "08:30:00" as a day serial.
std::optional<double> isoDateSerial(std::string_view s) {
  s = trimmed(s);
  double serial = 0;
  std::string_view time = s;
  if (s.size() >= 10 && s[4] == '-' && s[7] == '-') {
    int y = 0, m = 0, d = 0;
    if (!parseNumber(s.substr(0, 4), y) || !parseNumber(s.substr(5, 2), m) ||
        !parseNumber(s.substr(8, 2), d) || m < 1 || m > 12 || d < 1 || d > 31 || y < 1900)
      return std::nullopt;
    serial = dateSerial(CivilDate{y, m, d});
    if (s.size() == 10) return serial;
    if (s[10] != 'T') return std::nullopt;
    time = s.substr(11);
  }
  if (!time.empty() && time.back() == 'Z') time.remove_suffix(1);
  int h = 0, mi = 0;
  double sec = 0;
  if (time.size() < 8 || time[2] != ':' || time[5] != ':' || !parseNumber(time.substr(0, 2), h) ||
      !parseNumber(time.substr(3, 2), mi) || !parseNumber(time.substr(6), sec) || h > 23 ||
      mi > 59 || !(sec >= 0 && sec < 61))
    return std::nullopt;
  return serial + (h * 3600 + mi * 60 + sec) / 86400.0;
}

// Thrown to stop reading a sheet at its first row beyond SheetContext::lastRow, or beyond the
// rows kept.
struct EnoughRows {};

// The leader of a shared formula: the cells of its fill hold its text moved by their distance
// from it, or the text itself where moving changes nothing.
struct SharedFormula {
  int row, col;
  host::FormulaText text;
  bool movesWithRows, movesWithColumns;  // it has relative row (column) references
};

class SheetHandler : public XmlHandler {
 public:
  SheetHandler(host::MemorySheet& sheet, SheetContext& context)
      : sheet_(sheet), context_(context), item_(context.text) {}

  void startElement(std::string_view name, const XmlAttributes& a) override {
    context_.elements.take(1);
    if (inCell_) {
      cellChild(name, a);
    } else if (name == "c" && inRow_) {
      startCell(a);
    } else if (name == "row" && inSheetData_) {
      startRow(a);
    } else if (name == "sheetData") {
      inSheetData_ = true;
    } else if (name == "col") {
      column(a);
    } else if (name == "mergeCell") {
      merge(a.get("ref"));
    } else {
      pageElement(name, a);
    }
  }

  void endElement(std::string_view name) override {
    if (inCell_) {
      if (name == "c") {
        endCell();
      } else if (name == "v") {
        inValue_ = false;
      } else if (name == "f") {
        inFormula_ = false;
      } else if (name == "is") {
        inInline_ = false;
      } else if (inInline_) {
        item_.end(name);
      }
    } else if (name == "row") {
      inRow_ = false;
    } else if (name == "sheetData") {
      inSheetData_ = false;
    } else if (name == "oddHeader" || name == "oddFooter" || name == "evenHeader" ||
               name == "evenFooter" || name == "firstHeader" || name == "firstFooter") {
      inHeaderText_ = false;
      if (!headerText_.empty()) headerTexts_ = true;
      if (name == "oddFooter" && headerText_ == kPageFooter) valdrexFooter_ = true;
    }
  }

  void characters(std::string_view s) override {
    if (inHeaderText_)
      append(headerText_, s);
    else if (inValue_)
      append(value_, s);
    else if (inFormula_)
      append(formula_, s);
    else if (inInline_)
      item_.characters(s);
  }

  // What is kept until the whole part has been read.
  void finish() {
    sheet_.addMerges(merges_);
    // A header and footer with Valdrex's footer are an earlier run's, which this run redates.
    page_.ownHeader = headerTexts_ && !valdrexFooter_;
    page_.valdrexHeader = valdrexFooter_;
    if (page_.pageSetup || page_.hasMargins || page_.ownHeader) sheet_.setPageAsRead(page_);
  }

  SheetExtent& extent() { return extent_; }

 private:
  [[noreturn]] void fail(const std::string& problem) const {
    throw FormatProblem("工作表“" + sheet_.name() + "”" + problem);
  }

  // A value or formula longer than the texts may still take is refused as it grows.
  void append(std::string& to, std::string_view s) {
    if (to.size() + s.size() > context_.text.left()) context_.text.refuse();
    to.append(s);
  }

  // What the rows' breaks depend on. Values out of range are the file's business: they are kept
  // as they are and read as the defaults.
  void pageElement(std::string_view name, const XmlAttributes& a) {
    auto number = [&](std::string_view attribute, double& to) {
      double v = 0;
      if (parseNumber(a.get(attribute), v) && std::isfinite(v) && v >= 0 && v < 100) to = v;
    };
    if (name == "pageSetUpPr") {
      page_.fitToPageWidth = isTrue(a.get("fitToPage"));
    } else if (name == "pageSetup") {
      page_.pageSetup = true;
      page_.landscape = a.get("orientation") == "landscape";
      int scale = 0;
      if (parseNumber(a.get("scale"), scale) && scale >= 10 && scale <= 400) page_.scale = scale;
    } else if (name == "pageMargins") {
      page_.hasMargins = true;
      host::PageMargins& m = page_.margins;
      for (auto [attribute, to] : {std::pair<std::string_view, double*>{"left", &m.left},
                                   {"right", &m.right},
                                   {"top", &m.top},
                                   {"bottom", &m.bottom},
                                   {"header", &m.header},
                                   {"footer", &m.footer}})
        number(attribute, *to);
    } else if (name == "oddHeader" || name == "oddFooter" || name == "evenHeader" ||
               name == "evenFooter" || name == "firstHeader" || name == "firstFooter") {
      inHeaderText_ = true;
      headerText_.clear();
    }
  }

  bool kept(int row, int col) const {
    return row <= context_.limits.keptRows && col <= context_.limits.keptColumns;
  }
  void noteUnkept(int row, int col) {
    if (!extent_.unkept) extent_.unkept.emplace(row, col);
    if (row > context_.limits.keptRows) extent_.rowsLeftOut = true;
  }
  void countCell() {
    if (++context_.cells > context_.limits.maxCells)
      throw FormatProblem("单元格超过 " + std::to_string(context_.limits.maxCells) + " 个" +
                          kLessAdvice);
  }

  void startRow(const XmlAttributes& a) {
    inRow_ = true;
    std::string_view r = a.get("r");
    if (r.empty()) {
      ++row_;
    } else if (!parseNumber(r, row_) || row_ < 1 || row_ > host::kMaxRows) {
      fail("的行号 " + std::string(r) + " 超出工作表范围（最多 1048576 行）");
    }
    if (row_ > context_.lastRow) throw EnoughRows{};
    // Rows come in order: none after this one would be kept either, so they are not parsed.
    if (row_ > context_.limits.keptRows) {
      noteUnkept(row_, 0);
      throw EnoughRows{};
    }
    col_ = 0;
    if (isTrue(a.get("customFormat"))) {
      std::size_t style = 0;
      if (parseNumber(a.get("s"), style)) {
        const host::CellFormat& format = context_.styles.at(style).format;
        if (format.empty()) return;
        countCell();
        sheet_.setRowFormat(row_, format);
      }
    }
  }

  void startCell(const XmlAttributes& a) {
    inCell_ = true;
    std::string_view r = a.get("r");
    if (r.empty()) {
      cellRow_ = row_ < 1 ? 1 : row_;
      cellCol_ = col_ + 1;
      if (cellCol_ > host::kMaxColumns) fail("的单元格超出最后一列 XFD");
    } else {
      auto position = parseCell(r);
      if (!position)
        fail("中的单元格位置 " + std::string(r) + " 无效或超出工作表范围（最大为 XFD1048576）");
      cellRow_ = position->row;
      cellCol_ = position->col;
    }
    col_ = cellCol_;
    auto type = cellType(a.get("t"));
    if (!type)
      fail("的单元格 " + cellName(cellRow_, cellCol_) + " 的类型 “" + std::string(a.get("t")) +
           "” 无效");
    type_ = *type;
    style_ = 0;
    std::string_view s = a.get("s");
    if (!s.empty() && !parseNumber(s, style_))
      fail("的单元格 " + cellName(cellRow_, cellCol_) + " 的样式编号无效");
    value_.clear();
    formula_.clear();
    hasValue_ = hasFormula_ = false;
    sharedIndex_ = -1;
    sharedRef_ = false;
    formulaUsable_ = true;
  }

  void cellChild(std::string_view name, const XmlAttributes& a) {
    if (inInline_) {
      item_.start(name);
    } else if (name == "v") {
      inValue_ = hasValue_ = true;
    } else if (name == "f") {
      inFormula_ = hasFormula_ = true;
      std::string_view t = a.get("t");
      if (t == "shared") {
        if (!parseNumber(a.get("si"), sharedIndex_)) sharedIndex_ = -1;
        sharedRef_ = a.find("ref") != nullptr;
      } else if (t == "dataTable") {
        formulaUsable_ = false;  // a what-if table's cells hold results, not formulas to keep
      }
    } else if (name == "is") {
      inInline_ = true;
      item_.reset();
    }
  }

  void endCell() {
    inCell_ = inValue_ = inFormula_ = inInline_ = false;
    const CellStyle& style = context_.styles.at(style_);
    if (!kept(cellRow_, cellCol_)) {
      if (!value_.empty() || hasFormula_ || (type_ == CellType::Inline && item_.size() > 0) ||
          !style.format.empty())
        noteUnkept(cellRow_, cellCol_);
      return;
    }
    Variant value = cellValue(style);
    host::FormulaText formula = cellFormula();

    // Error values are written as a formula of the error itself; they read back as the error.
    if (!formula.empty() && (value.isText() || value.isError()) && isErrorCode(value.text()) &&
        formula == value.text()) {
      value = Variant::error(value.text());
      formula.clear();
    }
    if (value.isEmpty() && formula.empty() && style.format.empty()) return;

    countCell();
    host::Cell& cell = sheet_.at(cellRow_, cellCol_);
    cell.value = std::move(value);
    cell.formula = std::move(formula);
    cell.format = style.format;
  }

  Variant cellValue(const CellStyle& style) {
    switch (type_) {
      case CellType::Inline: {
        context_.text.take(item_.size());
        std::string text = item_.text();
        return text.empty() ? Variant() : Variant(std::move(text));
      }
      case CellType::FormulaText: {
        if (value_.empty()) return Variant();
        context_.text.take(value_.size());
        std::string text = decodeEscapes(value_);
        if (hasFormula_ && isErrorCode(text) && text != trimmed(formula_))
          return Variant::error(text);
        return Variant(std::move(text));
      }
      default:
        break;
    }
    if (!hasValue_ || value_.empty()) return Variant();
    switch (type_) {
      case CellType::Shared: {
        std::size_t index = 0;
        if (!parseNumber(value_, index) || index >= context_.sharedStrings.size())
          fail("的单元格 " + cellName(cellRow_, cellCol_) + " 引用了不存在的共享字符串");
        const host::SharedText& text = context_.sharedStrings[index];
        return text.empty() ? Variant() : Variant::text(text);
      }
      case CellType::Boolean: {
        std::string_view v = trimmed(value_);
        if (v == "1" || v == "true") return Variant::boolean(true);
        if (v == "0" || v == "false") return Variant::boolean(false);
        fail("的单元格 " + cellName(cellRow_, cellCol_) + " 的逻辑值无效");
      }
      case CellType::Error:
        return Variant::error(std::string(trimmed(value_)));
      case CellType::IsoDate: {
        auto serial = isoDateSerial(value_);
        if (!serial) fail("的单元格 " + cellName(cellRow_, cellCol_) + " 的日期无效");
        return Variant::date(*serial);
      }
      default: {
        double number = 0;
        if (!parseNumber(value_, number) || !std::isfinite(number))
          fail("的单元格 " + cellName(cellRow_, cellCol_) + " 的数值 “" + value_ + "” 无效");
        const double serial = context_.date1904 ? number + k1904Offset : number;
        if (style.date && isSheetDate(serial)) return Variant::date(serial);
        return Variant::number(number);
      }
    }
  }

  host::FormulaText cellFormula() {
    if (!hasFormula_ || !formulaUsable_) return {};
    // Only the leader of a shared formula holds its text; the cells of its fill hold none.
    context_.text.take(formula_.size());
    if (sharedIndex_ < 0) return formula_;
    if (sharedRef_ && !formula_.empty()) {
      shared_[sharedIndex_] =
          SharedFormula{cellRow_, cellCol_, formula_, shiftFormula(formula_, 1, 0) != formula_,
                        shiftFormula(formula_, 0, 1) != formula_};
      return shared_[sharedIndex_].text;
    }
    auto leader = shared_.find(sharedIndex_);
    if (leader == shared_.end()) return formula_;
    const SharedFormula& f = leader->second;
    const int dRow = f.movesWithRows ? cellRow_ - f.row : 0;
    const int dCol = f.movesWithColumns ? cellCol_ - f.col : 0;
    return host::FormulaText::moved(f.text, dRow, dCol, &shiftFormula);
  }

  void column(const XmlAttributes& a) {
    std::string_view custom = a.get("customWidth");
    if (custom == "0" || custom == "false") return;
    int first = 0, last = 0;
    double width = 0;
    if (!parseNumber(a.get("min"), first) || !parseNumber(a.get("max"), last) ||
        !parseNumber(a.get("width"), width))
      return;
    if (first < 1 || last > host::kMaxColumns || first > last || !(width >= 0 && width <= 255))
      return;
    for (int col = first; col <= last; ++col) {
      countCell();
      sheet_.setColumnWidth(col, width);
    }
  }

  void merge(std::string_view ref) {
    auto range = parseRange(ref);
    if (!range) fail("的合并区域 " + std::string(ref) + " 无效");
    if (range->row1 == range->row2 && range->col1 == range->col2) return;
    if (++context_.merges > context_.limits.maxMerges)
      throw FormatProblem("合并区域超过上限 " + std::to_string(context_.limits.maxMerges) + " 个");
    merges_.push_back(*range);
  }

  host::MemorySheet& sheet_;
  SheetContext& context_;
  std::unordered_map<int, SharedFormula> shared_;
  std::vector<host::Range> merges_;  // added together at the end
  SheetExtent extent_;

  bool inSheetData_ = false, inRow_ = false, inCell_ = false;
  bool inValue_ = false, inFormula_ = false, inInline_ = false;
  int row_ = 0, col_ = 0;
  host::PageAsRead page_;
  bool inHeaderText_ = false, headerTexts_ = false, valdrexFooter_ = false;
  std::string headerText_;

  int cellRow_ = 0, cellCol_ = 0;
  CellType type_ = CellType::Number;
  std::size_t style_ = 0;
  std::string value_, formula_;
  bool hasValue_ = false, hasFormula_ = false;
  int sharedIndex_ = -1;
  bool sharedRef_ = false, formulaUsable_ = true;
  StringItem item_;
};

}  // namespace

SheetExtent readSheet(ZipArchive& zip, const std::string& part, host::MemorySheet& sheet,
                      SheetContext& context) {
  SheetHandler handler(sheet, context);
  XmlParser parser(part, handler);
  SheetExtent& extent = handler.extent();
  try {
    zip.stream(part, [&](std::string_view chunk) {
      extent.partBytes += chunk.size();
      parser.feed(chunk);
    });
    parser.finish();
  } catch (const EnoughRows&) {
  }
  handler.finish();
  return extent;
}

}  // namespace valdrex::io
