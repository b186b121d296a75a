#include "valdrex/io/sheet_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "valdrex/host/float_chars.h"
#include "valdrex/host/number_text.h"
#include "valdrex/io/cell_reference.h"
#include "valdrex/io/format_problem.h"
#include "valdrex/io/number_formats.h"
#include "valdrex/io/page_header.h"
#include "valdrex/io/xml_outline.h"
#include "valdrex/io/xml_tag.h"

namespace valdrex::io {
namespace {

using host::Cell;
using host::CellFormat;

// A title merge in a formatted row is a few cells wide; blank cells carrying the row's format are
// only written for merges up to this size, so that a hostile whole-sheet merge costs nothing.
constexpr long long kMaxFilledMerge = 16384;

// The order the elements of a worksheet part must keep.
constexpr std::string_view kOrder[] = {"sheetPr",
                                       "dimension",
                                       "sheetViews",
                                       "sheetFormatPr",
                                       "cols",
                                       "sheetData",
                                       "sheetCalcPr",
                                       "sheetProtection",
                                       "protectedRanges",
                                       "scenarios",
                                       "autoFilter",
                                       "sortState",
                                       "dataConsolidate",
                                       "customSheetViews",
                                       "mergeCells",
                                       "phoneticPr",
                                       "conditionalFormatting",
                                       "dataValidations",
                                       "hyperlinks",
                                       "printOptions",
                                       "pageMargins",
                                       "pageSetup",
                                       "headerFooter",
                                       "rowBreaks",
                                       "colBreaks",
                                       "customProperties",
                                       "cellWatches",
                                       "ignoredErrors",
                                       "smartTags",
                                       "drawing",
                                       "legacyDrawing",
                                       "legacyDrawingHF",
                                       "drawingHF",
                                       "picture",
                                       "oleObjects",
                                       "controls",
                                       "webPublishItems",
                                       "tableParts",
                                       "extLst"};

int rankOf(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kOrder); ++i)
    if (kOrder[i] == name) return static_cast<int>(i);
  return -1;
}

// What an original row carries besides its cells and format (height, hidden, outline level), as
// the attributes of its start tag: " ht=\"30\" customHeight=\"1\"".
std::string keptRowAttributes(std::string_view tag) {
  std::string kept(tag);
  for (std::string_view decided : {"r", "spans", "s", "customFormat"})
    kept = withoutAttribute(kept, decided);
  std::size_t from = 1 + tagName(kept).size();
  std::size_t to = kept.size() - (selfClosing(kept) ? 2 : 1);
  while (to > from && std::string_view(" \t\r\n").find(kept[to - 1]) != std::string_view::npos)
    --to;
  return to > from ? kept.substr(from, to - from) : std::string();
}

// Whether any block of a space-separated list of references ("A1:B4 D2") meets a removed block.
bool meetsRemoved(std::string_view refs, const std::vector<host::Range>& removed) {
  if (removed.empty()) return false;
  while (!refs.empty()) {
    std::size_t space = refs.find(' ');
    std::string_view one = refs.substr(0, space);
    refs = space == std::string_view::npos ? std::string_view() : refs.substr(space + 1);
    if (one.empty()) continue;
    auto range = parseRange(one);
    if (!range) continue;
    for (const host::Range& b : removed)
      if (range->row1 <= b.row2 && b.row1 <= range->row2 && range->col1 <= b.col2 &&
          b.col1 <= range->col2)
        return true;
  }
  return false;
}

void appendNumber(std::string& out, double x) {
  char buffer[host::kFloatCharsRoom];
  out.append(buffer, host::shortestChars(buffer, x));
}

void appendInt(std::string& out, long long n) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
  out.append(buffer, result.ptr);
}

// "AB12" at `at`, which has room for it; returns the end.
char* cellName(char* at, int row, int col) {
  char letters[4];
  int n = 0;
  for (int c = col; c > 0 && n < 4; c = (c - 1) / 26)
    letters[n++] = static_cast<char>('A' + (c - 1) % 26);
  while (n > 0) *at++ = letters[--n];
  return std::to_chars(at, at + 12, row).ptr;
}
constexpr std::size_t kCellNameRoom = 4 + 12;

void appendCellName(std::string& out, int row, int col) {
  char name[kCellNameRoom];
  out.append(name, cellName(name, row, col));
}

// The sheet's cells are written straight into the part's memory.
void appendNumber(PartBuffer& out, double x) {
  char* at = out.room(host::kFloatCharsRoom);
  // Most numbers of a report are small whole numbers (scores, ranks, counts), whose shortest text
  // is their digits: written as integers, they are the same text made several times faster.
  // (From 100000 on, the shortest text may be "1e+05".)
  if (x > -100000 && x < 100000 && x == static_cast<double>(static_cast<int>(x)) &&
      !(x == 0 && std::signbit(x))) {
    out.advance(static_cast<std::size_t>(
        std::to_chars(at, at + host::kFloatCharsRoom, static_cast<int>(x)).ptr - at));
    return;
  }
  out.advance(static_cast<std::size_t>(host::shortestChars(at, x) - at));
}

void appendInt(PartBuffer& out, long long n) {
  char* at = out.room(24);
  out.advance(static_cast<std::size_t>(std::to_chars(at, at + 24, n).ptr - at));
}

void appendCellName(PartBuffer& out, int row, int col) {
  char* at = out.room(kCellNameRoom);
  out.advance(static_cast<std::size_t>(cellName(at, row, col) - at));
}

bool isHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Element text: markup escaped, and characters XML cannot carry (control characters) written as
// the spreadsheet's own _xHHHH_ escapes; a literal "_x0041_" is protected the same way, so that
// every text reads back exactly as it was.
void appendText(PartBuffer& out, std::string_view text) {
  std::size_t plain = 0;
  auto flush = [&](std::size_t i) { appendXmlEscaped(out, text.substr(plain, i - plain)); };
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool control = c < 0x20 && c != '\t' && c != '\n' && c != '\r';
    bool literalEscape = c == '_' && i + 6 < text.size() && text[i + 1] == 'x' &&
                         isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) &&
                         isHex(text[i + 5]) && text[i + 6] == '_';
    if (!control && !literalEscape) continue;
    flush(i);
    static constexpr char kHex[] = "0123456789ABCDEF";
    const unsigned code = control ? c : '_';
    const char escape[] = {'_', 'x', '0', '0', kHex[code >> 4], kHex[code & 15], '_'};
    out.append(std::string_view(escape, sizeof escape));
    plain = i + 1;
  }
  flush(text.size());
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool needsPreserve(std::string_view text) {
  return !text.empty() && (isSpace(text.front()) || isSpace(text.back()));
}

double numberOf(const Variant& v) {
  if (v.kind() == VarKind::Single) return singleToDouble(static_cast<float>(v.number()));
  return v.number();
}

constexpr std::string_view kRelationshipsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// The elements of `slice`, complete elements of a part whose root start tag is `rootTag`, with
// the root's namespace declarations in force: offsets into the slice, its own elements at depth 1.
std::vector<XmlElement> outlineSlice(const std::string& part, std::string_view rootTag,
                                     std::string_view slice, int depth) {
  const std::string open = openTag(rootTag);
  std::vector<XmlElement> spans = outlineXml(
      part, open + std::string(slice) + "</" + std::string(tagName(rootTag)) + ">", depth);
  spans.erase(spans.begin());
  for (XmlElement& s : spans) {
    s.begin -= open.size();
    s.startEnd -= open.size();
    s.closeBegin -= open.size();
    s.end -= open.size();
  }
  return spans;
}

// Frozen panes below the first rows and right of the first columns, and the selection in the
// pane that scrolls.
std::string frozenPanes(const host::PrintLayout& layout, std::string_view prefix) {
  const int rows = std::max(layout.frozenRows, 0), cols = std::max(layout.frozenColumns, 0);
  if (rows == 0 && cols == 0) return "";
  std::string corner;
  appendCellName(corner, rows + 1, cols + 1);
  const std::string active = rows > 0 && cols > 0 ? "bottomRight"
                             : rows > 0           ? "bottomLeft"
                                                  : "topRight";
  const std::string p(prefix);
  std::string out = "<" + p + "pane";
  if (cols > 0) out += " xSplit=\"" + std::to_string(cols) + "\"";
  if (rows > 0) out += " ySplit=\"" + std::to_string(rows) + "\"";
  out += " topLeftCell=\"" + corner + "\" activePane=\"" + active + "\" state=\"frozen\"/>";
  out += "<" + p + "selection pane=\"" + active + "\" activeCell=\"" + corner + "\" sqref=\"" +
         corner + "\"/>";
  return out;
}

// The sheet views with the first view's panes and selections those of the layout.
std::string viewsWith(const std::string& part, std::string_view rootTag, std::string_view views,
                      const host::PrintLayout& layout) {
  const XmlElement* view = nullptr;
  std::vector<XmlElement> spans;
  if (!views.empty()) {
    spans = outlineSlice(part, rootTag, views, 3);
    for (const XmlElement& s : spans)
      if (s.depth == 2 && s.name == "sheetView") {
        view = &s;
        break;
      }
  }
  if (!view) {
    std::string panes = frozenPanes(layout, "");
    return "<sheetViews><sheetView workbookViewId=\"0\"" +
           (panes.empty() ? "/>" : ">" + panes + "</sheetView>") + "</sheetViews>";
  }
  std::string_view tag = views.substr(view->begin, view->startEnd - view->begin);
  std::string out(views.substr(0, view->begin));
  out += openTag(tag);
  out += frozenPanes(layout, tagPrefix(tag));
  for (const XmlElement& s : spans)
    if (s.depth == 3 && s.begin > view->begin && s.end <= view->end && s.name != "pane" &&
        s.name != "selection")
      out += views.substr(s.begin, s.end - s.begin);
  out += "</" + std::string(tagName(tag)) + ">";
  out += views.substr(view->end);
  return out;
}

// Fit to page is for a layout without a scale of its own.
bool fits(const host::PrintLayout& layout) { return layout.fitToPageWidth && layout.scale <= 0; }

// The sheet properties with fit to page set as the layout wants, the rest kept.
std::string sheetPrWith(const std::string& part, std::string_view rootTag, std::string_view pr,
                        bool fit) {
  if (pr.empty()) return fit ? "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>" : "";
  std::vector<XmlElement> spans = outlineSlice(part, rootTag, pr, 2);
  const XmlElement& self = spans.front();
  std::string_view prTag = pr.substr(self.begin, self.startEnd - self.begin);
  for (const XmlElement& s : spans)
    if (s.depth == 2 && s.name == "pageSetUpPr") {
      std::string_view tag = pr.substr(s.begin, s.startEnd - s.begin);
      return std::string(pr.substr(0, s.begin)) +
             (fit ? withAttribute(tag, "fitToPage", "1") : withoutAttribute(tag, "fitToPage")) +
             std::string(pr.substr(s.startEnd));
    }
  if (!fit) return std::string(pr);
  // Its place is last among the properties' children.
  const std::string setUp = "<" + std::string(tagPrefix(prTag)) + "pageSetUpPr fitToPage=\"1\"/>";
  if (self.end == self.startEnd)
    return openTag(prTag) + setUp + "</" + std::string(tagName(prTag)) + ">";
  return std::string(pr.substr(0, self.closeBegin)) + setUp +
         std::string(pr.substr(self.closeBegin));
}

std::string pageSetup(const host::PrintLayout& layout) {
  // A4, the paper of the schools the reports are printed for.
  std::string out = "<pageSetup paperSize=\"9\" orientation=\"";
  out += layout.landscape ? "landscape\"" : "portrait\"";
  if (layout.scale > 0)
    out += " scale=\"" + std::to_string(layout.scale) + "\"";
  else if (layout.fitToPageWidth)
    out += " fitToWidth=\"1\" fitToHeight=\"0\"";
  return out + "/>";
}

std::string pageMargins(const host::PageMargins& m) {
  std::string out = "<pageMargins";
  for (auto [name, inches] : {std::pair<const char*, double>{"left", m.left},
                              {"right", m.right},
                              {"top", m.top},
                              {"bottom", m.bottom},
                              {"header", m.header},
                              {"footer", m.footer}}) {
    out += " ";
    out += name;
    out += "=\"";
    appendNumber(out, inches);
    out += "\"";
  }
  return out + "/>";
}

std::string headerFooter(const host::PrintLayout& layout) {
  return "<headerFooter><oddHeader>" +
         xmlEscape(pageHeader(layout.headerTitle, layout.headerDate)) + "</oddHeader><oddFooter>" +
         xmlEscape(kPageFooter) + "</oddFooter></headerFooter>";
}

// A break's id is the last row before it; a break before row 1 or beyond the sheet is none.
std::string rowBreaks(const std::vector<int>& rows) {
  std::string breaks;
  int count = 0;
  for (int row : rows) {
    if (row <= 1 || row > host::kMaxRows) continue;
    breaks += "<brk id=\"";
    appendInt(breaks, row - 1);
    breaks += "\" max=\"16383\" man=\"1\"/>";
    ++count;
  }
  if (count == 0) return "";
  return "<rowBreaks count=\"" + std::to_string(count) + "\" manualBreakCount=\"" +
         std::to_string(count) + "\">" + breaks + "</rowBreaks>";
}

// The edits that make the first sheet view of `xml` the selected tab, or no view, given the
// elements to depth 2 (the views at depth 1); views are added at `insertAt` when there are none.
std::vector<XmlSplice> tabEdits(std::string_view xml, const std::vector<XmlElement>& spans,
                                std::size_t insertAt, std::string_view prefix, bool selected) {
  const XmlElement* views = nullptr;
  std::vector<XmlSplice> edits;
  bool first = true;
  for (const XmlElement& s : spans) {
    if (s.depth == 1 && s.name == "sheetViews" && !views) views = &s;
    if (s.depth != 2 || !views || s.begin > views->end || s.name != "sheetView") continue;
    std::string_view tag = xml.substr(s.begin, s.startEnd - s.begin);
    auto value = attributeValue(tag, "tabSelected");
    const bool was = value && (*value == "1" || *value == "true"), wanted = selected && first;
    first = false;
    if (was != wanted)
      edits.push_back(
          {s.begin, s.startEnd,
           wanted ? withAttribute(tag, "tabSelected", "1") : withoutAttribute(tag, "tabSelected")});
  }
  if (selected && first) {
    const std::string p(prefix);
    std::string view = "<" + p + "sheetViews><" + p +
                       "sheetView tabSelected=\"1\" workbookViewId=\"0\"/></" + p + "sheetViews>";
    if (views)
      edits.push_back({views->begin, views->end, std::move(view)});
    else
      edits.push_back({insertAt, insertAt, std::move(view)});
  }
  return edits;
}

// The sheet views element (`views`, "" for none) with its first view the selected tab, or none.
std::string viewsSelected(const std::string& part, std::string_view rootTag, std::string_view views,
                          bool selected) {
  std::vector<XmlElement> spans;
  if (!views.empty()) spans = outlineSlice(part, rootTag, views, 2);
  return splicedXml(views, tabEdits(views, spans, 0, tagPrefix(rootTag), selected));
}

}  // namespace

std::string freshSheetXml(bool selected) {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
             "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
             "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
             "<sheetViews><sheetView ") +
         (selected ? "tabSelected=\"1\" " : "") +
         "workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>"
         "<sheetData/><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
         "header=\"0.3\" footer=\"0.3\"/></worksheet>";
}

std::optional<std::string> withTabSelected(const std::string& part, const std::string& xml,
                                           bool selected) {
  // The views come before the cells: the head of the part, closed after its last element, is
  // all that is parsed (the whole part when that fails).
  std::size_t root = xml.find('<');
  while (root != std::string::npos && root + 1 < xml.size() &&
         (xml[root + 1] == '?' || xml[root + 1] == '!'))
    root = xml.find('<', root + 1);
  if (root == std::string::npos) return std::nullopt;
  const std::string_view rootTag = std::string_view(xml).substr(root, xml.find('>', root) - root);
  std::size_t cells = xml.find("sheetData");
  std::size_t head = cells == std::string::npos ? std::string::npos : xml.rfind('<', cells);
  std::vector<XmlElement> spans;
  try {
    if (head == std::string::npos || head <= root) throw FormatProblem("");
    spans = outlineXml(part, xml.substr(0, head) + "</" + std::string(tagName(rootTag)) + ">", 2);
  } catch (const FormatProblem&) {
    spans = outlineXml(part, xml, 2);
  }
  std::size_t afterHead = spans.front().startEnd;  // where views go when there are none
  for (const XmlElement& s : spans)
    if (s.depth == 1 && (s.name == "sheetPr" || s.name == "dimension")) afterHead = s.end;
  std::vector<XmlSplice> edits = tabEdits(xml, spans, afterHead, tagPrefix(rootTag), selected);
  if (edits.empty()) return std::nullopt;
  return splicedXml(xml, std::move(edits));
}

uint32_t SheetWriter::styleOf(const CellFormat& format, bool date) {
  if (format.empty() && !date) return 0;
  return styles_.indexFor(format, date);
}

void SheetWriter::write(const host::MemorySheet& sheet, const std::string& part,
                        std::string_view original, const std::map<int, double>& widthsAsRead,
                        std::string_view drawingId, std::optional<bool> tabSelected,
                        PartBuffer& out) {
  const std::vector<XmlElement> spans = outlineXml(part, original, 2);
  auto slice = [&](const XmlElement& s) { return original.substr(s.begin, s.end - s.begin); };
  const XmlElement& root = spans.front();
  const std::string_view rootTag = original.substr(root.begin, root.startEnd - root.begin);
  const auto& layout = sheet.printLayout();
  // A sheet the teacher had keeps its views, and each page setting it has of its own.
  const bool viewsFromLayout = layout && !layout->keepsOwnPage;
  auto fromLayout = [&](std::string_view setting) {
    return layout && (!layout->keepsOwnPage || layout->rewritesValdrexPage ||
                      std::none_of(spans.begin(), spans.end(), [&](const XmlElement& s) {
                        return s.depth == 1 && s.name == setting;
                      }));
  };
  const bool setupFromLayout = fromLayout("pageSetup"),
             marginsFromLayout = fromLayout("pageMargins");
  const bool headerFromLayout = layout && !layout->headerTitle.empty();
  // The views (the original's, or none) as the layout and the tab selection want them.
  auto views = [&](std::string_view was) {
    std::string now = viewsFromLayout ? viewsWith(part, rootTag, was, *layout) : std::string(was);
    return tabSelected ? viewsSelected(part, rootTag, now, *tabSelected) : now;
  };
  bool hadPr = false, hadViews = false;
  const std::vector<host::Range>& removed = sheet.removedBlocks();
  const bool widthsKept = sheet.columnWidths() == widthsAsRead;

  // What the original rows carry besides their cells (height, hidden, outline level), by row.
  std::map<int, std::string> rowAttributes;
  struct Piece {
    int rank;
    std::string xml;
    bool cells = false;
  };
  std::vector<Piece> pieces;
  int rank = 0;
  for (std::size_t i = 1; i < spans.size(); ++i) {
    const XmlElement& child = spans[i];
    if (child.depth != 1) continue;
    if (int known = rankOf(child.name); known >= 0) rank = known;
    const std::string& name = child.name;
    if (name == "dimension" || name == "mergeCells" || (name == "cols" && !widthsKept)) continue;
    if (sheet.chartsSet() && name == "drawing") continue;
    if ((setupFromLayout && name == "pageSetup") || (marginsFromLayout && name == "pageMargins"))
      continue;
    if ((headerFromLayout && name == "headerFooter") || (layout && name == "rowBreaks")) continue;
    if (setupFromLayout && name == "sheetPr") {
      hadPr = true;
      pieces.push_back(Piece{rank, sheetPrWith(part, rootTag, slice(child), fits(*layout))});
      continue;
    }
    if ((viewsFromLayout || tabSelected) && name == "sheetViews") {
      hadViews = true;
      if (std::string xml = views(slice(child)); !xml.empty())
        pieces.push_back(Piece{rank, std::move(xml)});
      continue;
    }
    if (name == "sheetData") {
      // An original with formulas had its results in the calculation chain too.
      std::string_view data = slice(child);
      if (data.find("<f>") != std::string_view::npos ||
          data.find("<f ") != std::string_view::npos ||
          data.find(":f>") != std::string_view::npos || data.find(":f ") != std::string_view::npos)
        formulas_ = true;
      for (std::size_t k = i + 1; k < spans.size() && spans[k].depth == 2; ++k) {
        if (spans[k].name != "row") continue;
        std::string_view tag = original.substr(spans[k].begin, spans[k].startEnd - spans[k].begin);
        int row = 0;
        auto r = attributeValue(tag, "r");
        if (!r || std::from_chars(r->data(), r->data() + r->size(), row).ec != std::errc())
          continue;
        std::string kept = keptRowAttributes(tag);
        if (!kept.empty()) rowAttributes[row] = std::move(kept);
      }
      continue;
    }
    if (name == "conditionalFormatting") {
      auto refs =
          attributeValue(original.substr(child.begin, child.startEnd - child.begin), "sqref");
      if (refs && meetsRemoved(*refs, removed)) continue;
    } else if (name == "dataValidations" || name == "hyperlinks") {
      if (!removed.empty()) {
        std::string inner;
        int kept = 0;
        const std::string_view attribute = name == "hyperlinks" ? "ref" : "sqref";
        for (std::size_t k = i + 1; k < spans.size() && spans[k].depth == 2; ++k) {
          auto refs = attributeValue(
              original.substr(spans[k].begin, spans[k].startEnd - spans[k].begin), attribute);
          if (refs && meetsRemoved(*refs, removed)) continue;
          inner.append(slice(spans[k]));
          ++kept;
        }
        if (kept == 0) continue;
        std::string tag(original.substr(child.begin, child.startEnd - child.begin));
        if (attributeValue(tag, "count")) tag = withAttribute(tag, "count", std::to_string(kept));
        pieces.push_back(Piece{rank, tag + inner +
                                         std::string(original.substr(
                                             child.closeBegin, child.end - child.closeBegin))});
        continue;
      }
    }
    pieces.push_back(Piece{rank, std::string(slice(child))});
  }

  const host::Range used = sheet.usedRange();
  std::string dimension = "<dimension ref=\"";
  appendCellName(dimension, used.row1, used.col1);
  if (used.row2 != used.row1 || used.col2 != used.col1) {
    dimension.push_back(':');
    appendCellName(dimension, used.row2, used.col2);
  }
  dimension += "\"/>";
  pieces.push_back(Piece{rankOf("dimension"), std::move(dimension)});

  if (!widthsKept && !sheet.columnWidths().empty()) {
    std::string cols = "<cols>";
    const auto& widths = sheet.columnWidths();
    for (auto it = widths.begin(); it != widths.end();) {
      // Neighbouring columns of one width go in one element.
      auto last = it;
      auto next = std::next(it);
      while (next != widths.end() && next->first == last->first + 1 && next->second == it->second)
        last = next++;
      cols += "<col min=\"";
      appendInt(cols, it->first);
      cols += "\" max=\"";
      appendInt(cols, last->first);
      cols += "\" width=\"";
      appendNumber(cols, it->second);
      cols += "\" customWidth=\"1\"/>";
      it = next;
    }
    cols += "</cols>";
    pieces.push_back(Piece{rankOf("cols"), std::move(cols)});
  }

  // The cells are the one piece written in place.
  pieces.push_back(Piece{rankOf("sheetData"), std::string(), true});

  if (!sheet.merges().empty()) {
    std::string merges = "<mergeCells count=\"";
    appendInt(merges, static_cast<long long>(sheet.merges().size()));
    merges += "\">";
    for (const host::Range& m : sheet.merges()) {
      merges += "<mergeCell ref=\"";
      appendCellName(merges, m.row1, m.col1);
      merges.push_back(':');
      appendCellName(merges, m.row2, m.col2);
      merges += "\"/>";
    }
    merges += "</mergeCells>";
    pieces.push_back(Piece{rankOf("mergeCells"), std::move(merges)});
  }

  if (!hadViews)
    if (std::string xml = views(""); !xml.empty())
      pieces.push_back(Piece{rankOf("sheetViews"), std::move(xml)});
  if (setupFromLayout) {
    if (!hadPr && fits(*layout))
      pieces.push_back(Piece{rankOf("sheetPr"), sheetPrWith(part, rootTag, "", true)});
    pieces.push_back(Piece{rankOf("pageSetup"), pageSetup(*layout)});
  }
  if (marginsFromLayout)
    pieces.push_back(Piece{rankOf("pageMargins"), pageMargins(layout->margins)});
  if (headerFromLayout) pieces.push_back(Piece{rankOf("headerFooter"), headerFooter(*layout)});
  if (layout)
    if (std::string breaks = rowBreaks(layout->rowBreaks); !breaks.empty())
      pieces.push_back(Piece{rankOf("rowBreaks"), std::move(breaks)});
  if (sheet.chartsSet() && !drawingId.empty()) {
    // The relationships prefix is declared here unless the root binds "r" to it.
    const bool bound =
        rootTag.find("xmlns:r=\"" + std::string(kRelationshipsNs) + "\"") != std::string_view::npos;
    pieces.push_back(
        Piece{rankOf("drawing"),
              "<drawing " +
                  (bound ? std::string() : "xmlns:r=\"" + std::string(kRelationshipsNs) + "\" ") +
                  "r:id=\"" + xmlEscape(drawingId) + "\"/>"});
  }

  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const Piece& a, const Piece& b) { return a.rank < b.rank; });
  auto body = [&] {
    for (const Piece& p : pieces) {
      if (p.cells)
        sheetData(out, sheet, rowAttributes);
      else
        out.append(p.xml);
    }
  };
  std::string_view startTag = original.substr(root.begin, root.startEnd - root.begin);
  out.append(original.substr(0, root.begin));
  if (root.end == root.startEnd) {
    // An empty root element ("<worksheet/>") gets a body.
    std::string_view name = startTag.substr(1, startTag.find_first_of(" \t\r\n/>", 1) - 1);
    out.append(startTag.substr(0, startTag.size() - 2));
    out.push_back('>');
    body();
    out.append("</");
    out.append(name);
    out.push_back('>');
  } else {
    out.append(startTag);
    body();
    out.append(original.substr(root.closeBegin, root.end - root.closeBegin));
  }
  out.append(original.substr(root.end));
}

void SheetWriter::sheetData(PartBuffer& out, const host::MemorySheet& sheet,
                            const std::map<int, std::string>& rowAttributes) {
  // Cells a merge covers in a formatted row carry the row's format, as the spreadsheet keeps
  // them: the centred title area of a report stays centred for readers that look at cells.
  std::vector<std::pair<int, int>> blanks;
  for (const host::Range& m : sheet.merges()) {
    if (static_cast<long long>(m.row2 - m.row1 + 1) * (m.col2 - m.col1 + 1) > kMaxFilledMerge)
      continue;
    for (int r = m.row1; r <= m.row2; ++r) {
      if (!sheet.rowFormat(r)) continue;
      for (int c = m.col1; c <= m.col2; ++c)
        if (!sheet.find(r, c)) blanks.push_back({r, c});
    }
  }
  std::sort(blanks.begin(), blanks.end());
  auto blank = blanks.begin();
  auto attributes = rowAttributes.begin();

  auto openRow = [&](int row, const CellFormat* format) {
    out += "<row r=\"";
    appendInt(out, row);
    out.push_back('"');
    if (format) {
      out += " s=\"";
      appendInt(out, styleOf(*format, false));
      out += "\" customFormat=\"1\"";
    }
    if (attributes != rowAttributes.end() && attributes->first == row)
      out.append((attributes++)->second);
    out.push_back('>');
  };
  // Rows that only the original's attributes (a height, a hidden row) keep.
  auto attributeRowsBefore = [&](int row) {
    for (; attributes != rowAttributes.end() && attributes->first < row; ++attributes) {
      out += "<row r=\"";
      appendInt(out, attributes->first);
      out.push_back('"');
      out.append(attributes->second);
      out += "/>";
    }
  };
  auto blankCell = [&](int row, int col, const CellFormat& format) {
    out += "<c r=\"";
    appendCellName(out, row, col);
    out += "\" s=\"";
    appendInt(out, styleOf(format, false));
    out += "\"/>";
  };

  out += "<sheetData>";
  sheet.forEachRow(
      [&](int row, std::span<const std::pair<int, Cell>> cells, const CellFormat* format) {
        attributeRowsBefore(row);
        openRow(row, format);
        for (const auto& [col, c] : cells) {
          for (; blank != blanks.end() && blank->first == row && blank->second < col; ++blank)
            blankCell(blank->first, blank->second, *format);
          cell(out, row, col, c);
        }
        for (; blank != blanks.end() && blank->first == row; ++blank)
          blankCell(blank->first, blank->second, *format);
        out += "</row>";
      });
  attributeRowsBefore(host::kMaxRows + 1);
  out += "</sheetData>";
}

void SheetWriter::cell(PartBuffer& out, int row, int col, const Cell& c) {
  const Variant& v = c.value;
  const bool date = v.kind() == VarKind::Date;
  out += "<c r=\"";
  appendCellName(out, row, col);
  out.push_back('"');
  if (uint32_t s = styleOf(c.format, date)) {
    out += " s=\"";
    appendInt(out, s);
    out.push_back('"');
  }

  // A file cannot hold an infinite or undefined number: the spreadsheet's own error for a number
  // out of range is written instead.
  const bool badNumber = v.isNumeric() && !std::isfinite(numberOf(v));
  std::string_view type;
  if (v.isText())
    type = c.formula.empty() ? "inlineStr" : "str";
  else if (v.kind() == VarKind::Boolean)
    type = "b";
  else if (v.isError() || badNumber)
    type = "e";
  if (!type.empty()) {
    out += " t=\"";
    out += type;
    out += '"';
  }

  if (v.isEmpty() && c.formula.empty()) {
    out += "/>";
    return;
  }
  out.push_back('>');
  if (!c.formula.empty()) {
    formulas_ = true;
    out += "<f>";
    appendText(out, c.formula.str());
    out += "</f>";
  }
  if (type == "inlineStr") {
    out += needsPreserve(v.text()) ? "<is><t xml:space=\"preserve\">" : "<is><t>";
    appendText(out, v.text());
    out += "</t></is>";
  } else if (!v.isEmpty()) {
    out += needsPreserve(v.text()) && v.isText() ? "<v xml:space=\"preserve\">" : "<v>";
    if (badNumber)
      out += "#NUM!";
    else if (v.isText() || v.isError())
      appendText(out, v.text());
    else if (v.kind() == VarKind::Boolean)
      out.push_back(v.number() != 0 ? '1' : '0');
    else
      appendNumber(out, date && date1904_ ? numberOf(v) - k1904Offset : numberOf(v));
    out += "</v>";
  }
  out += "</c>";
}

}  // namespace valdrex::io
