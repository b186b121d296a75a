#include "valdrex/io/style_sheet.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "valdrex/io/format_problem.h"
#include "valdrex/io/number_formats.h"
#include "valdrex/io/xml_outline.h"
#include "valdrex/io/xml_parser.h"
#include "valdrex/io/xml_tag.h"

namespace valdrex::io {
namespace {

int number(std::string_view text, int fallback = 0) {
  int value = fallback;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

host::HAlign alignment(std::string_view horizontal) {
  if (horizontal == "left") return host::HAlign::Left;
  if (horizontal == "center" || horizontal == "centerContinuous") return host::HAlign::Center;
  if (horizontal == "right") return host::HAlign::Right;
  return host::HAlign::General;
}

std::string_view horizontal(host::HAlign align) {
  switch (align) {
    case host::HAlign::Left:
      return "left";
    case host::HAlign::Center:
      return "center";
    case host::HAlign::Right:
      return "right";
    case host::HAlign::General:
      break;
  }
  return "general";
}

// The children of styleSheet in the order the schema wants them.
constexpr std::array<std::string_view, 11> kSchemaOrder = {
    "numFmts",    "fonts", "fills",       "borders", "cellStyleXfs", "cellXfs",
    "cellStyles", "dxfs",  "tableStyles", "colors",  "extLst"};
constexpr std::array<std::size_t, 4> kRank = {0, 1, 3, 5};  // of the lists a style adds to
constexpr std::array<std::string_view, 4> kItem = {"numFmt", "font", "border", "xf"};
// What a teacher calls each of them.
constexpr std::array<std::string_view, 4> kItemNames = {"数字格式", "字体", "边框", "单元格格式"};

struct EdgeSlot {
  uint8_t bit;
  std::string_view name, alias;
};
// Edges in the order a border holds them; start and end are the newer names of left and right.
constexpr std::array<EdgeSlot, 4> kEdges = {{{host::kEdgeLeft, "left", "start"},
                                             {host::kEdgeRight, "right", "end"},
                                             {host::kEdgeTop, "top", "top"},
                                             {host::kEdgeBottom, "bottom", "bottom"}}};

uint8_t edgeOf(std::string_view name) {
  for (const EdgeSlot& e : kEdges)
    if (name == e.name || name == e.alias) return e.bit;
  return 0;
}

std::string_view localPart(std::string_view name) {
  std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Built-in formats written by id: only those whose code is the same in every language, since
// the others (dates above all) show as the reader's locale wants.
int builtinId(std::string_view code) {
  for (int id : {1, 2, 3, 4, 9, 10, 11, 12, 13, 45, 46, 47, 48, 49})
    if (builtinFormatCode(id) == code) return id;
  return -1;
}

}  // namespace

class StyleSheet::Reader : public XmlHandler {
 public:
  Reader(StyleSheet& sheet, std::size_t maxItems)
      : s_(sheet), text_(sheet.original()), maxItems_(maxItems) {}

  void startElement(std::string_view name, const XmlAttributes& a) override {
    XmlSpan tag = tagSpan();
    std::string_view open = text_.substr(tag.begin, tag.end - tag.begin);
    ++depth_;
    if (depth_ == 1) {
      s_.rootOpenEnd_ = tag.end;
      s_.rootName_ = tagName(open);
      s_.prefix_ = tagPrefix(open);
    } else if (depth_ == 2) {
      list_ = kLists;
      rank_ = kSchemaOrder.size();
      for (std::size_t rank = 0; rank < kSchemaOrder.size(); ++rank)
        if (name == kSchemaOrder[rank]) rank_ = rank;
      for (std::size_t l = 0; l < kLists; ++l)
        if (rank_ == kRank[l]) list_ = static_cast<List>(l);
      if (list_ != kLists) {
        ListAt& at = s_.lists_[list_];
        at = ListAt{true, tag.begin, tag.end, tag.end, 0};
      }
    } else if (depth_ == 3 && list_ != kLists && name == kItem[list_]) {
      item_ = true;
      itemBegin_ = tag.begin;
      if (++s_.lists_[list_].read > maxItems_)
        throw FormatProblem(
            "样式中的" + std::string(kItemNames[list_]) + "超过 " + std::to_string(maxItems_) +
            " 个。请在电子表格程序中清除不用的格式（或把工作表复制到新工作簿）后重试");
      if (list_ == kNumFmts) {
        s_.numFmts_[number(a.get("numFmtId"), -1)] = a.get("formatCode");
      } else if (list_ == kFonts) {
        s_.fonts_.push_back(open);
      } else if (list_ == kBorders) {
        s_.borders_.push_back(Border{{}, open, {}, 0});
      } else {
        s_.xfs_.push_back(Xf{{},
                             open,
                             {},
                             number(a.get("numFmtId")),
                             number(a.get("fontId")),
                             number(a.get("borderId")),
                             host::HAlign::General});
      }
    } else if (depth_ == 4 && item_) {
      childBegin_ = tag.begin;
      if (list_ == kBorders) {
        // The model keeps thin continuous lines; any drawn line counts as one.
        std::string_view style = a.get("style");
        if (!style.empty() && style != "none") s_.borders_.back().edges |= edgeOf(name);
      } else if (list_ == kCellXfs && name == "alignment") {
        s_.xfs_.back().alignment = open;
        s_.xfs_.back().align = alignment(a.get("horizontal"));
      }
    }
  }

  void endElement(std::string_view) override {
    XmlSpan tag = tagSpan();
    if (depth_ == 4 && item_ && list_ == kBorders) {
      std::string_view child = text_.substr(childBegin_, tag.end - childBegin_);
      s_.borders_.back().children.emplace_back(localPart(tagName(child)), child);
    } else if (depth_ == 3 && item_) {
      item_ = false;
      std::string_view element = text_.substr(itemBegin_, tag.end - itemBegin_);
      if (list_ == kFonts) s_.fonts_.back() = element;
      if (list_ == kBorders) s_.borders_.back().text = element;
      if (list_ == kCellXfs) s_.xfs_.back().text = element;
    } else if (depth_ == 2) {
      if (list_ != kLists) s_.lists_[list_].closeBegin = tag.begin;
      if (rank_ < kSchemaOrder.size()) s_.listEnds_[rank_] = tag.end;
      list_ = kLists;
    } else if (depth_ == 1) {
      s_.rootClosed_ = tag.begin == tag.end;
    }
    --depth_;
  }

 private:
  StyleSheet& s_;
  std::string_view text_;
  std::size_t maxItems_;
  int depth_ = 0;
  List list_ = kLists;
  std::size_t rank_ = 0;  // of the list being read in kSchemaOrder
  bool item_ = false;
  std::size_t itemBegin_ = 0, childBegin_ = 0;
};

StyleSheet StyleSheet::parse(const std::string& part, std::string_view xml, std::size_t maxItems) {
  StyleSheet sheet;
  sheet.texts_.emplace_back(xml);
  Reader reader(sheet, maxItems);
  parseXml(part, sheet.original(), reader);
  sheet.styles_.reserve(sheet.xfs_.size());
  for (const Xf& xf : sheet.xfs_)
    sheet.styles_.push_back(sheet.decode(xf, static_cast<uint32_t>(sheet.styles_.size())));
  return sheet;
}

StyleSheet StyleSheet::fresh() {
  // No theme is referred to: a workbook made from nothing may have no theme part.
  StyleSheet sheet = parse(
      "xl/styles.xml",
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/>"
      "</font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
      "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "</cellStyleXfs>"
      "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
      "xfId=\"0\"/></cellXfs>"
      "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
      "</cellStyles><dxfs count=\"0\"/>"
      "<tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium2\" "
      "defaultPivotStyle=\"PivotStyleLight16\"/></styleSheet>");
  sheet.fresh_ = true;
  return sheet;
}

std::string_view StyleSheet::keep(std::string text) { return texts_.emplace_back(std::move(text)); }

CellStyle StyleSheet::decode(const Xf& xf, uint32_t index) {
  CellStyle style;
  style.format.style = index;
  if (xf.borderId >= 0 && static_cast<std::size_t>(xf.borderId) < borders_.size())
    style.format.borders = borders_[static_cast<std::size_t>(xf.borderId)].edges;
  style.format.align = xf.align;
  auto [decoded, added] = decodedFormats_.try_emplace(xf.numFmtId);
  if (added) {
    auto custom = numFmts_.find(xf.numFmtId);
    if (custom != numFmts_.end()) {
      decoded->second = {custom->second == "General" ? "" : custom->second,
                         isDateFormatCode(custom->second)};
    } else {
      decoded->second = {builtinFormatCode(xf.numFmtId), isBuiltinDateFormat(xf.numFmtId)};
    }
  }
  style.format.numberFormat = decoded->second.first;
  style.date = decoded->second.second;
  return style;
}

// The first time a style is derived: what already exists, so that it is found before a copy is
// added (a workbook saved again and again keeps the styles it got the first time).
void StyleSheet::indexExisting() {
  if (indexed_) return;
  indexed_ = true;
  for (const auto& [id, code] : numFmts_) {
    numFmtIds_.emplace(code, id);
    lastNumFmtId_ = std::max(lastNumFmtId_, id);
  }
  for (const Xf& xf : xfs_) lastNumFmtId_ = std::max(lastNumFmtId_, xf.numFmtId);
  for (std::size_t i = 0; i < borders_.size(); ++i)
    borderIds_.emplace(borders_[i].text, static_cast<uint32_t>(i));
  for (std::size_t i = 0; i < xfs_.size(); ++i)
    xfIds_.emplace(xfs_[i].text, static_cast<uint32_t>(i));
}

int StyleSheet::numFmtIdFor(const std::string& code) {
  if (code.empty() || code == "General") return 0;
  if (auto found = numFmtIds_.find(code); found != numFmtIds_.end()) return found->second;
  if (int id = builtinId(code); id >= 0) return id;
  int id = ++lastNumFmtId_;
  addedNumFmts_.push_back(keep("<" + prefix_ + "numFmt numFmtId=\"" + std::to_string(id) +
                               "\" formatCode=\"" + xmlEscape(code) + "\"/>"));
  numFmts_[id] = code;
  numFmtIds_.emplace(code, id);
  return id;
}

// A border with the edges asked for: edges that stay drawn keep their line style and colour,
// new ones are thin lines, removed ones are empty; the rest of the base border is kept.
uint32_t StyleSheet::borderFor(int base, uint8_t edges) {
  if (auto found = derivedBorders_.find({base, edges}); found != derivedBorders_.end())
    return found->second;
  // Index 0 is the border of every style that names none: a table without one gets it first.
  if (borders_.empty() && base != -1) borderFor(-1, 0);
  const std::string open = "<" + prefix_ + "border>", empty = open + "</" + prefix_ + "border>";
  Border none{empty, std::string_view(empty).substr(0, open.size()), {}, 0};
  bool known = base >= 0 && static_cast<std::size_t>(base) < borders_.size();
  const Border from = known ? borders_[static_cast<std::size_t>(base)] : none;
  std::string_view prefix = tagPrefix(from.open);

  std::string text = openTag(from.open);
  std::vector<std::pair<std::string_view, std::pair<std::size_t, std::size_t>>> children;
  auto add = [&](std::string_view name, const std::string& element) {
    children.push_back({name, {text.size(), element.size()}});
    text += element;
  };
  for (const EdgeSlot& slot : kEdges) {
    auto child = std::find_if(from.children.begin(), from.children.end(), [&](const auto& c) {
      return c.first == slot.name || c.first == slot.alias;
    });
    bool had = child != from.children.end();
    std::string_view name = had ? child->first : slot.name;
    bool drawn = from.edges & slot.bit, wanted = edges & slot.bit;
    if (had && drawn == wanted)
      add(name, std::string(child->second));
    else
      add(name,
          "<" + std::string(prefix) + std::string(name) + (wanted ? " style=\"thin\"/>" : "/>"));
  }
  for (const auto& [name, element] : from.children)
    if (!edgeOf(name)) add(name, std::string(element));
  if (from.open.size() < from.text.size())
    text += from.text.substr(from.text.rfind('<'));
  else
    text += "</" + std::string(tagName(from.open)) + ">";

  uint32_t id;
  if (auto same = borderIds_.find(text); same != borderIds_.end()) {
    id = same->second;
  } else {
    std::string_view kept = keep(std::move(text));
    Border border{
        kept, kept.substr(0, children.empty() ? kept.size() : children[0].second.first), {}, edges};
    for (const auto& [name, at] : children)
      border.children.emplace_back(name, kept.substr(at.first, at.second));
    id = static_cast<uint32_t>(borders_.size());
    borders_.push_back(std::move(border));
    addedBorders_.push_back(kept);
    borderIds_.emplace(kept, id);
  }
  derivedBorders_[{base, edges}] = id;
  return id;
}

bool StyleSheet::boldFont(int font) const {
  if (font < 0 || static_cast<std::size_t>(font) >= fonts_.size()) return false;
  std::string_view text = fonts_[static_cast<std::size_t>(font)];
  for (std::size_t at = text.find('<', 1); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    std::string_view tag = text.substr(at, text.find('>', at) + 1 - at);
    if (tag.starts_with("</") || localPart(tagName(tag)) != "b") continue;
    auto val = attributeValue(tag, "val");
    return !val || (*val != "0" && *val != "false");
  }
  return false;
}

// A copy of the base font with <b/> as its first child (a font's children come in any order),
// and any weight it had dropped.
uint32_t StyleSheet::boldFontFor(int base) {
  if (auto found = boldFonts_.find(base); found != boldFonts_.end()) return found->second;
  const std::string plain =
      "<" + prefix_ + "font><" + prefix_ + "sz val=\"11\"/></" + prefix_ + "font>";
  // Index 0 is the font of every style that names none: a table without one gets it first.
  if (fonts_.empty()) {
    fonts_.push_back(keep(plain));
    addedFonts_.push_back(fonts_.back());
  }
  bool known = base >= 0 && static_cast<std::size_t>(base) < fonts_.size();
  std::string from(known ? fonts_[static_cast<std::size_t>(base)] : std::string_view(plain));
  const std::string open = openTag(from.substr(0, from.find('>') + 1));
  std::string rest = selfClosing(from.substr(0, from.find('>') + 1))
                         ? "</" + std::string(tagName(open)) + ">"
                         : from.substr(from.find('>') + 1);
  // Drop a <b val="0"/> the base may have.
  for (std::size_t at = rest.find('<'); at != std::string::npos; at = rest.find('<', at + 1)) {
    std::size_t end = rest.find('>', at) + 1;
    std::string_view tag = std::string_view(rest).substr(at, end - at);
    if (!tag.starts_with("</") && localPart(tagName(tag)) == "b" && selfClosing(tag)) {
      rest.erase(at, end - at);
      break;
    }
  }
  std::string text = open + "<" + std::string(tagPrefix(open)) + "b/>" + rest;
  uint32_t id = static_cast<uint32_t>(fonts_.size());
  auto same = std::find(fonts_.begin(), fonts_.end(), text);
  if (same != fonts_.end()) {
    id = static_cast<uint32_t>(same - fonts_.begin());
  } else {
    fonts_.push_back(keep(std::move(text)));
    addedFonts_.push_back(fonts_.back());
  }
  boldFonts_[base] = id;
  return id;
}

uint32_t StyleSheet::addXf(std::string text, std::size_t openSize, std::size_t alignmentAt,
                           std::size_t alignmentSize, Xf xf) {
  if (auto same = xfIds_.find(text); same != xfIds_.end()) return same->second;
  std::string_view kept = keep(std::move(text));
  xf.text = kept;
  xf.open = kept.substr(0, openSize);
  xf.alignment = alignmentSize ? kept.substr(alignmentAt, alignmentSize) : std::string_view();
  auto index = static_cast<uint32_t>(xfs_.size());
  xfs_.push_back(xf);
  styles_.push_back(decode(xf, index));
  addedXfs_.push_back(kept);
  xfIds_.emplace(kept, index);
  return index;
}

// The base style with only what differs changed: borderId, fontId, the alignment's horizontal
// attribute, numFmtId, and the apply flags that make a program use them.
uint32_t StyleSheet::derive(uint32_t base, const host::CellFormat& format,
                            const std::string& code) {
  const CellStyle was = styles_[base];
  Xf xf = xfs_[base];
  std::string open(xf.open);
  std::string rest(xf.text.substr(xf.open.size()));
  if (format.borders != was.format.borders) {
    xf.borderId = static_cast<int>(borderFor(xf.borderId, format.borders));
    open = withAttribute(withAttribute(open, "borderId", std::to_string(xf.borderId)),
                         "applyBorder", "1");
  }
  if (format.bold && !boldFont(xf.fontId)) {
    xf.fontId = static_cast<int>(boldFontFor(xf.fontId));
    open =
        withAttribute(withAttribute(open, "fontId", std::to_string(xf.fontId)), "applyFont", "1");
  }
  if (code != was.format.numberFormat) {
    xf.numFmtId = numFmtIdFor(code);
    open = withAttribute(withAttribute(open, "numFmtId", std::to_string(xf.numFmtId)),
                         "applyNumberFormat", "1");
  }
  std::size_t alignmentAt =
      xf.alignment.empty()
          ? 0
          : static_cast<std::size_t>(xf.alignment.data() - xf.text.data()) - xf.open.size();
  std::size_t alignmentSize = xf.alignment.size();
  if (format.align != was.format.align) {
    xf.align = format.align;
    open = withAttribute(open, "applyAlignment", "1");
    std::string tag;
    if (!xf.alignment.empty()) {
      tag = format.align == host::HAlign::General
                ? withoutAttribute(xf.alignment, "horizontal")
                : withAttribute(xf.alignment, "horizontal", horizontal(format.align));
      rest.replace(alignmentAt, alignmentSize, tag);
    } else {
      // Alignment comes first among an xf's children.
      tag = "<" + std::string(tagPrefix(xf.open)) + "alignment horizontal=\"" +
            std::string(horizontal(format.align)) + "\"/>";
      alignmentAt = 0;
      if (rest.empty()) {
        open = openTag(open);
        rest = tag + "</" + std::string(tagName(xf.open)) + ">";
      } else {
        rest.insert(0, tag);
      }
    }
    alignmentSize = tag.size();
  }
  alignmentAt += open.size();
  return addXf(open + rest, open.size(), alignmentAt, alignmentSize, xf);
}

uint32_t StyleSheet::indexFor(const host::CellFormat& format, bool date) {
  if (hasLast_ && date == lastDate_ && format == lastFormat_) return last_;
  std::string code =
      date && format.numberFormat.empty() ? std::string(kDateFormat) : format.numberFormat.str();
  std::string key(sizeof format.style + 3, '\0');
  std::memcpy(key.data(), &format.style, sizeof format.style);
  key[sizeof format.style] = static_cast<char>(format.borders);
  key[sizeof format.style + 1] = static_cast<char>(format.align);
  key[sizeof format.style + 2] = static_cast<char>(format.bold);
  key += code;

  auto [answer, added] = answers_.try_emplace(std::move(key), 0);
  if (added) {
    uint32_t base = format.style < styles_.size() ? format.style : 0;
    const CellStyle& was = at(base);
    const bool bolder = format.bold && !boldFont(base < xfs_.size() ? xfs_[base].fontId : 0);
    if (was.format.borders != format.borders || was.format.align != format.align ||
        was.format.numberFormat != code || bolder) {
      // Index 0 is every unstyled cell's style: a table without one gets the default first.
      if (xfs_.empty()) {
        std::string xf = "<" + prefix_ +
                         "xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>";
        addXf(xf, xf.size(), 0, 0, Xf{});
      }
      indexExisting();
      base = derive(base, format, code);
    }
    answer->second = base;
  }
  lastFormat_ = format;
  lastDate_ = date;
  hasLast_ = true;
  last_ = answer->second;
  return last_;
}

std::size_t StyleSheet::insertionPoint(List list) const {
  std::size_t at = rootOpenEnd_;
  for (std::size_t rank = 0; rank < kRank[list]; ++rank) at = std::max(at, listEnds_[rank]);
  return at;
}

std::string StyleSheet::xml() const {
  if (addedNumFmts_.empty() && addedFonts_.empty() && addedBorders_.empty() && addedXfs_.empty())
    return original();
  std::vector<XmlSplice> edits;
  if (rootClosed_) edits.push_back({rootOpenEnd_ - 2, rootOpenEnd_, ">"});
  const std::array<const std::vector<std::string_view>*, kLists> added = {
      &addedNumFmts_, &addedFonts_, &addedBorders_, &addedXfs_};
  for (std::size_t l = 0; l < kLists; ++l) {
    if (added[l]->empty()) continue;
    std::string elements;
    for (std::string_view e : *added[l]) elements += e;
    const ListAt& list = lists_[l];
    std::string count = std::to_string(list.read + added[l]->size());
    if (list.present) {
      std::string_view open =
          std::string_view(original()).substr(list.openBegin, list.openEnd - list.openBegin);
      std::string tag = withAttribute(open, "count", count);
      if (selfClosing(open)) {
        edits.push_back({list.openBegin, list.openEnd,
                         openTag(tag) + elements + "</" + std::string(tagName(open)) + ">"});
      } else {
        edits.push_back({list.openBegin, list.openEnd, std::move(tag)});
        edits.push_back({list.closeBegin, list.closeBegin, std::move(elements)});
      }
    } else {
      std::size_t at = insertionPoint(static_cast<List>(l));
      std::string name = prefix_ + std::string(kSchemaOrder[kRank[l]]);
      edits.push_back(
          {at, at, "<" + name + " count=\"" + count + "\">" + elements + "</" + name + ">"});
    }
  }
  if (rootClosed_) edits.push_back({rootOpenEnd_, rootOpenEnd_, "</" + rootName_ + ">"});
  return splicedXml(original(), std::move(edits));
}

}  // namespace valdrex::io
