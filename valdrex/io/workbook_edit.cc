#include "valdrex/io/workbook_edit.h"

#include <algorithm>
#include <charconv>

#include "valdrex/io/format_problem.h"
#include "valdrex/io/xml_tag.h"

namespace valdrex::io {
namespace {

constexpr std::string_view kRelationshipsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

int numberAfter(std::string_view text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return 0;
  int n = 0;
  std::from_chars(text.data() + prefix.size(), text.data() + text.size(), n);
  return n;
}

// The prefix the start tag binds to the relationships namespace ("r"), or empty.
std::string relationshipsPrefix(std::string_view rootTag) {
  std::size_t at = rootTag.find(kRelationshipsNs);
  while (at != std::string_view::npos) {
    std::size_t eq = rootTag.rfind('=', at);
    std::size_t colon = rootTag.rfind("xmlns:", eq);
    if (eq != std::string_view::npos && colon != std::string_view::npos && eq - colon > 6 &&
        eq - colon < 32)
      return std::string(rootTag.substr(colon + 6, eq - colon - 6));
    at = rootTag.find(kRelationshipsNs, at + 1);
  }
  return "";
}

}  // namespace

SplicedXml::SplicedXml(std::string part, std::string xml)
    : part_(std::move(part)), xml_(std::move(xml)), spans_(outlineXml(part_, xml_, 4)) {
  if (spans_.empty()) throw FormatProblem("部件 " + part_ + " 是空的");
  expandEmpty(spans_.front());
}

void SplicedXml::expandEmpty(const XmlElement& span) {
  if (span.end != span.startEnd) return;
  // "<x a=\"1\"/>" becomes "<x a=\"1\"></x>", so that new children have a place to go.
  std::string tag = xml_.substr(span.begin, span.end - span.begin);
  std::string name = tag.substr(1, tag.find_first_of(" \t\r\n/>", 1) - 1);
  std::size_t slash = tag.rfind('/');
  tag.erase(slash, 1);
  xml_.replace(span.begin, span.end - span.begin, tag + "</" + name + ">");
  spans_ = outlineXml(part_, xml_, 4);
}

std::size_t SplicedXml::replace(std::size_t begin, std::size_t end, std::string text) {
  edits_.push_back(XmlSplice{begin, end, std::move(text)});
  return edits_.size() - 1;
}

std::string SplicedXml::xml() const { return splicedXml(xml_, edits_); }

// ---- the workbook part

WorkbookEdit::WorkbookEdit(std::string part, std::string xml)
    : SplicedXml(std::move(part), std::move(xml)), parsed_(WorkbookPart::parse(part_, xml_)) {
  // Lists written as one tag get an end tag first, so that every edit of them inserts at one
  // place and edits never overlap.
  if (const XmlElement* names = child("definedNames", 1)) expandEmpty(*names);
  const XmlElement* list = child("sheets", 1);
  if (!list) throw FormatProblem("部件 " + part_ + " 中没有工作表列表");
  expandEmpty(*list);
  list = child("sheets", 1);
  for (const XmlElement& s : spans_)
    if (s.depth == 2 && s.name == "sheet" && s.begin > list->begin && s.end <= list->end) {
      sheets_.push_back(&s);
      const std::string start = tag(s);  // the value is a view into it
      auto id = attributeValue(start, "sheetId");
      int n = 0;
      if (id) std::from_chars(id->data(), id->data() + id->size(), n);
      nextSheetId_ = std::max(nextSheetId_, n + 1);
    }
  if (sheets_.size() != parsed_.sheets.size())
    throw FormatProblem("部件 " + part_ + " 的工作表列表无法识别");
}

std::string WorkbookEdit::tag(const XmlElement& span) const {
  return xml_.substr(span.begin, span.startEnd - span.begin);
}

const XmlElement* WorkbookEdit::child(std::string_view name, int depth) const {
  for (const XmlElement& s : spans_)
    if (s.depth == depth && s.name == name) return &s;
  return nullptr;
}

void WorkbookEdit::setSheet(std::size_t entry, const std::string& name, bool visible) {
  const XmlElement& span = *sheets_.at(entry);
  std::string t = tag(span);
  const std::string original = t;
  if (parsed_.sheets[entry].name != name) t = withAttribute(t, "name", name);
  auto state = attributeValue(t, "state");
  bool hidden = state && (*state == "hidden" || *state == "veryHidden");
  if (visible && hidden) t = withoutAttribute(t, "state");
  if (!visible && !hidden) t = withAttribute(t, "state", "hidden");
  if (t != original) replace(span.begin, span.startEnd, std::move(t));
}

void WorkbookEdit::addSheet(const std::string& name, const std::string& id, bool visible) {
  const XmlElement& list = *child("sheets", 1);
  // The new element takes the prefix the part gives its sheets, and the relationship id the prefix
  // the part binds to that namespace (declared on the element itself when there is none).
  std::string element = std::string(tagPrefix(tag(list))) + "sheet";
  std::string prefix = relationshipsPrefix(tag(spans_.front()));
  std::string t = "<" + element + " name=\"" + xmlEscape(name) + "\" sheetId=\"" +
                  std::to_string(nextSheetId_++) + "\"" + (visible ? "" : " state=\"hidden\"");
  if (prefix.empty())
    t += " xmlns:vr=\"" + std::string(kRelationshipsNs) + "\" vr:id=\"" + id + "\"/>";
  else
    t += " " + prefix + ":id=\"" + id + "\"/>";
  replace(list.closeBegin, list.closeBegin, t);
}

void WorkbookEdit::setActiveTab(std::size_t index) {
  if (const XmlElement* view = child("workbookView", 2)) {
    std::string t = withAttribute(tag(*view), "activeTab", std::to_string(index));
    auto first = attributeValue(t, "firstSheet");
    std::size_t n = 0;
    if (first &&
        std::from_chars(first->data(), first->data() + first->size(), n).ec == std::errc() &&
        n > index)
      t = withAttribute(t, "firstSheet", std::to_string(index));
    replace(view->begin, view->startEnd, std::move(t));
    return;
  }
  const XmlElement& list = *child("sheets", 1);
  replace(list.begin, list.begin,
          "<bookViews><workbookView activeTab=\"" + std::to_string(index) + "\"/></bookViews>");
}

namespace {

// What follows the defined names in the part, the calculation settings first.
constexpr std::string_view kAfterNames[] = {
    "calcPr",        "oleSize",       "customWorkbookViews", "pivotCaches",       "smartTagPr",
    "smartTagTypes", "webPublishing", "fileRecoveryPr",      "webPublishObjects", "extLst"};

}  // namespace

// Where an element goes that comes before all of `names`.
std::size_t WorkbookEdit::before(std::span<const std::string_view> names) const {
  for (const XmlElement& s : spans_)
    if (s.depth == 1 && std::find(names.begin(), names.end(), s.name) != names.end())
      return s.begin;
  return spans_.front().closeBegin;
}

void WorkbookEdit::setPrintTitles(std::size_t index, const std::string& value) {
  const std::string prefix(tagPrefix(tag(*child("sheets", 1))));
  std::string element;
  if (!value.empty())
    element = "<" + prefix + "definedName name=\"_xlnm.Print_Titles\" localSheetId=\"" +
              std::to_string(index) + "\">" + xmlEscape(value) + "</" + prefix + "definedName>";
  const XmlElement* list = child("definedNames", 1);
  if (!list) {
    if (element.empty()) return;
    // One list for every name added; its place is after the sheets, before what follows them.
    const std::size_t at = before(kAfterNames);
    const std::string open = "<" + prefix + "definedNames>",
                      close = "</" + prefix + "definedNames>";
    if (addedNames_.empty()) namesEdit_ = replace(at, at, "");
    addedNames_ += element;
    setText(namesEdit_, open + addedNames_ + close);
    return;
  }
  for (const XmlElement& s : spans_) {
    if (s.depth != 2 || s.name != "definedName" || s.begin < list->begin || s.end > list->end)
      continue;
    const std::string t = tag(s);
    if (attributeValue(t, "name") == "_xlnm.Print_Titles" &&
        attributeValue(t, "localSheetId") == std::to_string(index)) {
      replace(s.begin, s.end, element);
      return;
    }
  }
  if (!element.empty()) replace(list->closeBegin, list->closeBegin, element);
}

void WorkbookEdit::recalculateOnLoad() {
  if (const XmlElement* calc = child("calcPr", 1)) {
    replace(calc->begin, calc->startEnd, withAttribute(tag(*calc), "fullCalcOnLoad", "1"));
    return;
  }
  // Its place is after the defined names, before what follows them in the part.
  const std::size_t at = before(std::span(kAfterNames).subspan(1));
  replace(at, at, "<calcPr fullCalcOnLoad=\"1\"/>");
}

// ---- relationships

RelationshipsEdit::RelationshipsEdit(std::string part, std::string xml, std::string_view source)
    : SplicedXml(part, xml.empty()
                           ? "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                             "<Relationships xmlns=\"http://schemas.openxmlformats.org/"
                             "package/2006/relationships\"></Relationships>"
                           : xml),
      parsed_(Relationships::parse(part_, xml_, source)) {
  for (const Relationship& r : parsed_.all()) ids_.push_back(r.id);
}

std::string RelationshipsEdit::add(std::string_view kind, const std::string& target) {
  int next = 1;
  for (const std::string& id : ids_) next = std::max(next, numberAfter(id, "rId") + 1);
  std::string id = "rId" + std::to_string(next);
  ids_.push_back(id);
  const XmlElement& root = spans_.front();
  replace(root.closeBegin, root.closeBegin,
          "<Relationship Id=\"" + id + "\" Type=\"" + std::string(kRelationshipsNs) + "/" +
              std::string(kind) + "\" Target=\"" + xmlEscape(target) + "\"/>");
  return id;
}

void RelationshipsEdit::remove(const std::string& id) {
  for (const XmlElement& s : spans_)
    if (s.depth == 1 &&
        attributeValue(std::string_view(xml_).substr(s.begin, s.startEnd - s.begin), "Id") == id)
      replace(s.begin, s.end, "");
}

// ---- content types

ContentTypesEdit::ContentTypesEdit(std::string part, std::string xml)
    : SplicedXml(std::move(part), std::move(xml)) {}

const XmlElement* ContentTypesEdit::overrideOf(const std::string& part) const {
  for (const XmlElement& s : spans_) {
    if (s.depth != 1 || s.name != "Override") continue;
    auto name =
        attributeValue(std::string_view(xml_).substr(s.begin, s.startEnd - s.begin), "PartName");
    if (name && equalIgnoringCase(*name, "/" + part)) return &s;
  }
  return nullptr;
}

void ContentTypesEdit::override(const std::string& part, std::string_view type) {
  if (overrideOf(part)) return;
  const XmlElement& root = spans_.front();
  replace(root.closeBegin, root.closeBegin,
          "<Override PartName=\"/" + xmlEscape(part) + "\" ContentType=\"" + std::string(type) +
              "\"/>");
}

void ContentTypesEdit::remove(const std::string& part) {
  if (const XmlElement* s = overrideOf(part)) replace(s->begin, s->end, "");
}

// ---- document properties

std::string withSheetTitles(const std::string& appXml, const std::vector<std::string>& names) {
  std::vector<XmlElement> spans = outlineXml("docProps/app.xml", appXml, 4);
  auto inside = [&](const XmlElement& outer, const XmlElement& s) {
    return s.begin > outer.begin && s.end <= outer.end;
  };
  auto text = [&](const XmlElement& s) {
    return std::string_view(appXml).substr(s.startEnd, s.closeBegin - s.startEnd);
  };
  const XmlElement* pairs = nullptr;
  const XmlElement* titles = nullptr;
  for (const XmlElement& s : spans) {
    if (s.depth == 1 && s.name == "HeadingPairs") pairs = &s;
    if (s.depth == 1 && s.name == "TitlesOfParts") titles = &s;
  }
  if (!pairs || !titles) return appXml;

  // Heading pairs: a name and a count each; the worksheets' pair tells where their titles are.
  std::vector<const XmlElement*> values;  // the lpstr and i4 of each pair, in order
  const XmlElement* pairVector = nullptr;
  const XmlElement* titleVector = nullptr;
  std::vector<const XmlElement*> titleItems;
  for (const XmlElement& s : spans) {
    if (s.depth == 2 && s.name == "vector" && inside(*pairs, s)) pairVector = &s;
    if (s.depth == 2 && s.name == "vector" && inside(*titles, s)) titleVector = &s;
    if (s.depth == 4 && inside(*pairs, s) && (s.name == "lpstr" || s.name == "i4"))
      values.push_back(&s);
    if (s.depth == 3 && inside(*titles, s) && s.name == "lpstr") titleItems.push_back(&s);
  }
  if (!pairVector || !titleVector || values.size() % 2 != 0) return appXml;
  std::size_t before = 0;
  for (std::size_t i = 0; i + 1 < values.size(); i += 2) {
    int count = 0;
    std::string_view n = text(*values[i + 1]);
    std::from_chars(n.data(), n.data() + n.size(), count);
    std::string_view heading = text(*values[i]);
    if (heading != "Worksheets" && heading != "工作表") {
      before += static_cast<std::size_t>(count);
      continue;
    }
    std::size_t at = before + static_cast<std::size_t>(count);
    if (at > titleItems.size()) return appXml;
    std::string_view vectorTag(appXml.data() + titleVector->begin,
                               titleVector->startEnd - titleVector->begin);
    const std::string prefix(tagPrefix(vectorTag));
    std::string inserted;
    for (const std::string& name : names)
      inserted += "<" + prefix + "lpstr>" + xmlEscape(name) + "</" + prefix + "lpstr>";
    std::size_t insertAt = at < titleItems.size() ? titleItems[at]->begin : titleVector->closeBegin;
    SplicedXml edit("docProps/app.xml", appXml);
    edit.replace(values[i + 1]->startEnd, values[i + 1]->closeBegin,
                 std::to_string(count + static_cast<int>(names.size())));
    std::string vtag(vectorTag);
    auto size = attributeValue(vtag, "size");
    int total = 0;
    if (size) std::from_chars(size->data(), size->data() + size->size(), total);
    edit.replace(
        titleVector->begin, titleVector->startEnd,
        withAttribute(vtag, "size", std::to_string(total + static_cast<int>(names.size()))));
    edit.replace(insertAt, insertAt, inserted);
    return edit.xml();
  }
  return appXml;
}

}  // namespace valdrex::io
