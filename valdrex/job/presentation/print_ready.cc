#include "valdrex/job/presentation/print_ready.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "valdrex/bands/completion_rates.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/host/date.h"
#include "valdrex/host/utf8.h"
#include "valdrex/job/session/workbook_sheets.h"
#include "valdrex/reports/two_rates.h"

namespace valdrex {

namespace {

using SS = ScoreSheetLayout;
using PS = PropertySheetLayout;
using RS = ReportSheets;
using RL = RankingSheetLayout;
using TL = TableSheetLayout;

constexpr double kDefaultWidth = 8.43;
constexpr double kMaxWidth = 40;
constexpr double kPadding = 2;  // the cell's margins and the bold header
// Pixels at the default font: a width unit, a column's own margin, a row.
constexpr double kUnitPixels = 7, kColumnPixels = 5, kRowPixels = 20;
// What an A4 page holds across upright, inside the default margins.
constexpr double kPortraitPixels = 659;
// A4 in points, a pixel in points, a row of the default height in points.
constexpr double kPaperShort = 595.3, kPaperLong = 841.9, kPixelPoints = 0.75, kRowPoints = 15;
// What a page is taken to hold of what fits it exactly: programs measure fonts their own way, and
// one may set a column wider or a row of Chinese text taller than another does.
constexpr double kAcrossSlack = 0.94, kDownSlack = 0.88;
constexpr int kSmallestScale = 10;

// The printable width and height of an A4 page inside the margins, in points.
std::pair<double, double> printable(bool landscape, const host::PageMargins& m) {
  const double across = landscape ? kPaperLong : kPaperShort;
  const double down = landscape ? kPaperShort : kPaperLong;
  return {across - 72 * (m.left + m.right), down - 72 * (m.top + m.bottom)};
}

// The percent at which columns `pixels` wide fit one page across, at most 100.
int scaleFor(double pixels, bool landscape, const host::PageMargins& margins) {
  const double across = printable(landscape, margins).first * kAcrossSlack;
  const double points = pixels * kPixelPoints;
  if (points <= across) return 100;
  return std::max(kSmallestScale, static_cast<int>(100 * across / points));
}

double columnPixels(double width) { return width * kUnitPixels + kColumnPixels; }

enum class Shape {
  scoreSheet,
  propertySheet,
  wholeTable,   // a title row, a header row, the students below
  classBlocks,  // a title row and a header row before each class's students
  blocks,       // a table per subject, its name in the row above its header
  other,
};

struct Plan {
  Shape shape = Shape::other;
  int repeatFirst = 0, repeatLast = 0;
  int frozenRows = 0, frozenColumns = 0;
};

Plan planFor(std::string_view name) {
  if (name == RS::output || name == RS::gradePlain || name == RS::gradeDetailed)
    return {Shape::wholeTable, RL::titleRow, RL::headerRow, RL::headerRow, RL::leadingColumns};
  // The title row names the first class only: the pages of the others repeat the header alone.
  if (name == RS::classPlain || name == RS::classDetailed)
    return {Shape::classBlocks, RL::headerRow, RL::headerRow, RL::headerRow, RL::leadingColumns};
  // Every table has the same header; the band tables' headers differ by subject and by what the
  // teacher typed, so each shows its own.
  if (name == RS::twoRates || name == RS::completionRates)
    return {Shape::blocks, TL::firstHeaderRow, TL::firstHeaderRow, 0, TL::classColumn};
  if (name == RS::scoreBands || name == RS::rankBands || name == RS::scoreSegments ||
      name == RS::nearLines)
    return {Shape::blocks, 0, 0, 0, TL::classColumn};
  // One long list of students, the lists of one exam only after it.
  if (name == RS::progress)
    return {Shape::blocks, ProgressSheetLayout::headerRow, ProgressSheetLayout::headerRow,
            ProgressSheetLayout::headerRow, ProgressSheetLayout::studentName};
  if (name == RS::progressSummary)
    return {Shape::blocks, 0, 0, ProgressSummaryLayout::headerRow, TL::classColumn};
  if (name == SS::defaultName)
    return {Shape::scoreSheet, SS::titleRow, SS::headerRow, SS::headerRow, SS::leadingColumns};
  if (name == PS::name) return {Shape::propertySheet, 0, 0, 0, PS::labelColumn};
  return {};
}

bool wide(char32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || cp >= 0x20000;
}

double fittedWidth(double units) {
  return units == 0 ? kDefaultWidth : std::clamp(units + kPadding, kDefaultWidth, kMaxWidth);
}

// The texts each column holds or will hold, from column 1.
using ColumnTexts = std::vector<std::vector<std::string>>;

std::vector<double> fittedWidths(const ColumnTexts& columns) {
  std::vector<double> widths;
  for (const auto& texts : columns) {
    double units = 0;
    for (const std::string& t : texts) units = std::max(units, textUnits(t));
    widths.push_back(fittedWidth(units));
  }
  return widths;
}

// Landscape when the table is wider than tall, or wider than an upright page.
host::PrintLayout layoutFor(const Plan& plan, const std::vector<double>& widths, int rows) {
  double across = 0;
  for (double w : widths) across += columnPixels(w);
  host::PrintLayout layout;
  layout.landscape =
      plan.shape == Shape::other || across > rows * kRowPixels || across > kPortraitPixels;
  layout.fitToPageWidth = true;
  layout.scale = scaleFor(across, layout.landscape, layout.margins);
  layout.repeatFirstRow = plan.repeatFirst;
  layout.repeatLastRow = plan.repeatLast;
  layout.frozenRows = plan.frozenRows;
  layout.frozenColumns = plan.frozenColumns;
  return layout;
}

void apply(host::MemorySheet& sh, const Plan& plan, const std::vector<double>& widths, int rows) {
  for (std::size_t c = 0; c < widths.size(); ++c)
    sh.setColumnWidth(static_cast<int>(c) + 1, widths[c]);
  host::PrintLayout layout = layoutFor(plan, widths, rows);
  layout.headerTitle = sh.name();
  sh.setPrintLayout(std::move(layout));
}

bool inMerge(const host::MemorySheet& sh, int row, int col) {
  return std::any_of(sh.merges().begin(), sh.merges().end(), [&](const host::Range& m) {
    return row >= m.row1 && row <= m.row2 && col >= m.col1 && col <= m.col2;
  });
}

// The title rows and the header rows of the sheet's tables, as the sheet holds them now.
std::set<int> headerRows(const host::MemorySheet& sh, Shape shape) {
  switch (shape) {
    case Shape::scoreSheet:
      return {SS::titleRow, SS::headerRow};
    case Shape::propertySheet:
      return {1, PS::subjectHeaderRow, PS::weightHeaderRow, PS::classHeaderRow};
    case Shape::wholeTable:
      return {RL::titleRow, RL::headerRow};
    case Shape::classBlocks: {
      // Each class's title row is merged from column 1; its header follows.
      std::set<int> rows;
      for (const host::Range& m : sh.merges())
        if (m.col1 == 1 && m.col2 > 1 && m.row1 == m.row2) rows.insert({m.row1, m.row1 + 1});
      return rows;
    }
    case Shape::blocks: {
      // Every header starts like the first; the subject's name stands in the row above.
      std::set<int> rows = {ReportTitleLayout::row};
      const std::string first = textOf(sh.cell(TL::firstHeaderRow, TL::classColumn));
      if (first.empty()) return rows;
      const int last = sh.usedRange().row2;  // a pass over every row: once, not per row
      for (int r = TL::firstHeaderRow; r <= last; ++r)
        if (textOf(sh.cell(r, TL::classColumn)) == first) rows.insert({r - 1, r});
      return rows;
    }
    case Shape::other:
      break;
  }
  return {};
}

// The sheet's tables top to bottom: the row each starts at (the first at row 1, under the title)
// and the last row it holds anything in.
struct Tables {
  std::vector<int> starts, ends;
};

Tables tablesOf(const host::MemorySheet& sh, Shape shape) {
  std::set<int> starts;
  if (shape == Shape::classBlocks) {
    // A class starts at its title row, merged from column 1.
    for (const host::Range& m : sh.merges())
      if (m.col1 == 1 && m.col2 > 1 && m.row1 == m.row2) starts.insert(m.row1);
  } else if (shape == Shape::blocks) {
    // A table starts at the row above its header, which holds its name.
    for (int header : headerRows(sh, shape))
      if (header > ReportTitleLayout::row + 1 &&
          textOf(sh.cell(header, TL::classColumn)) ==
              textOf(sh.cell(TL::firstHeaderRow, TL::classColumn)))
        starts.insert(header - 1);
  } else {
    return {};
  }
  std::erase_if(starts, [](int r) { return r <= 1; });
  starts.insert(1);
  std::set<int> used;
  sh.forEachCell([&](int row, int, const host::Cell&) { used.insert(row); });
  for (const host::Range& m : sh.merges()) used.insert(m.row2);
  Tables t;
  t.starts.assign(starts.begin(), starts.end());
  for (std::size_t i = 0; i < t.starts.size(); ++i) {
    const int next = i + 1 < t.starts.size() ? t.starts[i + 1] : host::kMaxRows + 1;
    auto last = used.lower_bound(next);
    t.ends.push_back(last == used.begin() ? t.starts[i] : std::max(t.starts[i], *std::prev(last)));
  }
  return t;
}

// Where new pages start: before a table that would not fit in what is left of its page, or before
// every table when each takes a page of its own. A table taller than a page runs on over the
// program's own breaks, `pageRows` rows a page.
std::vector<int> pageStarts(const Tables& t, int pageRows, bool eachOnAPage) {
  std::vector<int> breaks;
  int top = 1;  // the first row of the page the table before ended on
  for (std::size_t i = 0; i < t.starts.size(); ++i) {
    const int start = t.starts[i], end = t.ends[i];
    if (i > 0 && (eachOnAPage || end - top + 1 > pageRows)) {
      breaks.push_back(start);
      top = start;
    }
    while (end - top + 1 > pageRows) top += pageRows;
  }
  return breaks;
}

// Whether a table `rows` tall fits a page of `layout`, its columns `pixels` wide. One that fits an
// upright page only (a class's list) turns the page upright, unless the page is the file's own.
bool fitsAPage(int rows, double pixels, host::PrintLayout& layout) {
  if (rows <= rowsPerPage(layout)) return true;
  if (!layout.landscape || (layout.keepsOwnPage && !layout.rewritesValdrexPage)) return false;
  host::PrintLayout upright = layout;
  upright.landscape = false;
  upright.scale = scaleFor(pixels, false, upright.margins);
  if (rows > rowsPerPage(upright)) return false;
  layout = upright;
  return true;
}

// The row breaks the sheet's tables need on the page of `layout`, its columns `pixels` wide. The
// header rows repeat on every page only where a table is taller than a page: where each page
// begins with a table, they would stand above its own header.
void paginate(const host::MemorySheet& sh, Shape shape, double pixels, host::PrintLayout& layout) {
  const Tables t = tablesOf(sh, shape);
  layout.rowBreaks.clear();
  if (t.starts.empty()) return;
  int tallest = 0;
  for (std::size_t i = 0; i < t.starts.size(); ++i)
    tallest = std::max(tallest, t.ends[i] - t.starts[i] + 1);
  const bool fits = fitsAPage(tallest, pixels, layout);
  int pageRows = rowsPerPage(layout);
  if (fits) {
    layout.repeatFirstRow = layout.repeatLastRow = 0;
  } else if (layout.repeatFirstRow > 0) {
    pageRows -= std::max(layout.repeatLastRow, layout.repeatFirstRow) - layout.repeatFirstRow + 1;
  }
  layout.rowBreaks = pageStarts(t, std::max(pageRows, 1), shape == Shape::classBlocks);
}

// What the run will write into an empty report sheet of a new workbook, read from its score and
// property sheets.
struct NewBook {
  ColumnTexts leading;  // the score sheet's first columns, header and students
  std::vector<std::string> subjects;
  std::vector<std::string> classes;
  int students = 0;
  int largestClass = 0;
  bool lowRate = false;
};

NewBook readNewBook(host::MemoryWorkbook& wb) {
  NewBook book;
  book.leading.resize(SS::leadingColumns);
  if (const host::MemorySheet* scores = wb.find(SS::defaultName)) {
    const int last = scores->usedRange().row2;
    for (int r = SS::headerRow; r <= last; ++r)
      for (int c = 1; c <= SS::leadingColumns; ++c)
        book.leading[c - 1].push_back(textOf(scores->cell(r, c)));
    for (int c = SS::firstSubjectColumn; !textOf(scores->cell(SS::headerRow, c)).empty(); ++c)
      book.subjects.push_back(textOf(scores->cell(SS::headerRow, c)));
    std::map<std::string, int> sizes;
    for (int r = SS::firstStudentRow; r <= last; ++r)
      if (std::string name = textOf(scores->cell(r, SS::classColumn)); !name.empty()) {
        ++book.students;
        book.largestClass = std::max(book.largestClass, ++sizes[name]);
      }
  }
  if (const host::MemorySheet* properties = wb.find(PS::name)) {
    for (int r = PS::firstClassRow; !textOf(properties->cell(r, PS::labelColumn)).empty(); ++r)
      book.classes.push_back(textOf(properties->cell(r, PS::labelColumn)));
    book.lowRate = textOf(properties->cell(PS::lowRateLabelRow, PS::labelColumn)) == "低分率";
  }
  return book;
}

// The columns of the report sheet `name` once filled, and its rows.
std::pair<ColumnTexts, int> expectedTable(std::string_view name, const NewBook& book) {
  const int classes = static_cast<int>(book.classes.size());
  const int tables = static_cast<int>(book.subjects.size()) + 1;
  std::vector<std::string> subjects = book.subjects;
  subjects.emplace_back(SS::totalHeader);
  ColumnTexts columns = book.leading;
  if (name == RS::output || name == RS::gradePlain || name == RS::classPlain) {
    for (const std::string& s : subjects) columns.push_back({s});
    columns.push_back({std::string(SS::classRankHeader)});
    columns.push_back({std::string(SS::schoolRankHeader)});
  } else if (name == RS::classDetailed || name == RS::gradeDetailed) {
    for (const std::string& s : subjects)
      for (const char* what : {"分数", "班排", "校排"}) columns.push_back({s + what});
  } else {
    std::vector<std::string> header;
    if (name == RS::twoRates)
      header = twoRatesHeader(book.lowRate);
    else if (name == RS::completionRates)
      header.assign(kCompletionHeader.begin(), kCompletionHeader.end());
    else
      header = {"班级", "参考人数"};
    columns.clear();
    for (const std::string& h : header) columns.push_back({h});
    columns[TL::classColumn - 1].insert(columns[TL::classColumn - 1].end(), book.classes.begin(),
                                        book.classes.end());
    columns[TL::classColumn - 1].push_back("合计");
    // Every table sheet is taken as tall as "两率一分" to its note.
    return {columns, kTwoRatesLayout.noteRow(tables, classes)};
  }
  // Per-class lists have a title and a header row before every class.
  const bool perClass = name == RS::classPlain || name == RS::classDetailed;
  return {columns, book.students +
                       (perClass ? RL::rowsBeforeEachClass * std::max(classes, 1) : RL::headerRow)};
}

}  // namespace

std::string pageDate(const CivilDate& date) {
  return std::to_string(date.year) + "/" + std::to_string(date.month) + "/" +
         std::to_string(date.day);
}

int rowsPerPage(const host::PrintLayout& layout) {
  const double down = printable(layout.landscape, layout.margins).second * kDownSlack;
  const double scale = (layout.scale > 0 ? layout.scale : 100) / 100.0;
  return std::max(1, static_cast<int>(down / (kRowPoints * scale)));
}

host::PrintLayout landscapeLayoutFor(int columns) {
  return layoutFor({}, std::vector<double>(std::max(columns, 0), kDefaultWidth), 0);
}

double textUnits(std::string_view text) {
  double units = 0;
  for (std::size_t i = 0; i < text.size();) {
    const utf8::Char ch = utf8::decode(text, i);
    units += wide(ch.cp) ? 2 : 1;
    i += ch.size;
  }
  return units;
}

void makePrintReady(host::MemorySheet& sh, std::string_view date) {
  const Plan plan = planFor(sh.name());
  const int lastColumn = sh.usedRange().col2;  // bold cells stay where they are
  for (int row : headerRows(sh, plan.shape))
    for (int col = 1; col <= lastColumn; ++col)
      if (sh.find(row, col)) sh.at(row, col).format.bold = true;

  // Titles stand in row 1 or in merged cells and may run over the columns beside them.
  const host::Range used = sh.usedRange();
  ColumnTexts columns(std::max(used.col2, 0));
  sh.forEachCell([&](int row, int col, const host::Cell& cell) {
    if ((row == 1 && plan.shape != Shape::other) || inMerge(sh, row, col)) return;
    columns[col - 1].push_back(textOf(cell.value));
  });
  const std::vector<double> widths = fittedWidths(columns);
  for (std::size_t c = 0; c < widths.size(); ++c)
    sh.setColumnWidth(static_cast<int>(c) + 1, widths[c]);
  // Charts take the page's width too, over columns of the default width.
  std::vector<double> across = widths;
  for (const host::Chart& c : sh.charts())
    if (c.anchor.col2 > static_cast<int>(across.size()))
      across.resize(c.anchor.col2, kDefaultWidth);
  host::PrintLayout layout = layoutFor(plan, across, used.row2);
  double pixels = 0;
  for (double w : across) pixels += columnPixels(w);
  paginate(sh, plan.shape, pixels, layout);
  layout.headerTitle = sh.name();
  layout.headerDate = std::string(date);
  sh.setPrintLayout(std::move(layout));
}

void makeWrittenReportPrintReady(host::MemorySheet& sh, std::string_view date) {
  const Plan plan = planFor(sh.name());
  const host::Range used = sh.usedRange();
  std::vector<double> widths;
  double across = 0;
  for (int c = 1; c <= used.col2; ++c) {
    auto it = sh.columnWidths().find(c);
    widths.push_back(it == sh.columnWidths().end() ? kDefaultWidth : it->second);
    across += columnPixels(widths.back());
  }
  host::PrintLayout layout = layoutFor(plan, widths, used.row2);
  const auto& page = sh.pageAsRead();
  if (!sh.printLayout() || sh.printLayout()->keepsOwnPage) {
    layout.keepsOwnPage = true;
    layout.frozenRows = layout.frozenColumns = 0;
    // Its print titles are its own; the breaks take none of the page for them.
    layout.repeatFirstRow = layout.repeatLastRow = 0;
    // A page Valdrex wrote with the header, before the tables were there, is laid out anew for
    // what the sheet holds now.
    layout.rewritesValdrexPage = page && page->valdrexHeader;
    if (page && page->hasMargins && !layout.rewritesValdrexPage) layout.margins = page->margins;
    if (page && page->pageSetup && !layout.rewritesValdrexPage) {
      layout.landscape = page->landscape;
      layout.fitToPageWidth = page->fitToPageWidth;
      layout.scale =
          page->fitToPageWidth ? scaleFor(across, page->landscape, layout.margins) : page->scale;
    } else {
      layout.scale = scaleFor(across, layout.landscape, layout.margins);
    }
  }
  paginate(sh, plan.shape, across, layout);
  if (!page || !page->ownHeader) {
    layout.headerTitle = sh.name();
    layout.headerDate = std::string(date);
  }
  sh.setPrintLayout(std::move(layout));
}

void makeNewWorkbookPrintReady(host::MemoryWorkbook& wb) {
  const NewBook book = readNewBook(wb);
  for (std::size_t i = 0; i < wb.sheetCount(); ++i) {
    host::MemorySheet& sh = wb.sheetAt(i);
    if (sh.cellCount() > 0 || !isReportSheet(sh.name())) {
      makePrintReady(sh);
      continue;
    }
    const auto [columns, rows] = expectedTable(sh.name(), book);
    const Plan plan = planFor(sh.name());
    const std::vector<double> widths = fittedWidths(columns);
    apply(sh, plan, widths, rows);
    // The print titles stay the sheet's once it is read back: none where every table will fit a
    // page, as a run would set them.
    const int classes = static_cast<int>(book.classes.size());
    const bool classTables = sh.name() == RS::twoRates || sh.name() == RS::completionRates ||
                             sh.name() == RS::scoreBands || sh.name() == RS::rankBands;
    const int tallest = plan.shape == Shape::classBlocks ? book.largestClass + 2
                        : classTables                    ? classes + 3
                                                         : 0;
    double pixels = 0;
    for (double w : widths) pixels += columnPixels(w);
    host::PrintLayout layout = *sh.printLayout();
    if (tallest > 0 && fitsAPage(tallest, pixels, layout)) {
      layout.repeatFirstRow = layout.repeatLastRow = 0;
      sh.setPrintLayout(std::move(layout));
    }
  }
}

}  // namespace valdrex
