#include "valdrex/io/xml_tag.h"

namespace valdrex::io {
namespace {

bool space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view localPart(std::string_view name) {
  std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Where one attribute lies in a tag: its name (after the white space before it) and its value
// (inside the quotes).
struct AttributeAt {
  std::size_t spaceBegin = 0, nameBegin = 0, nameEnd = 0, valueBegin = 0, valueEnd = 0;
};

// The attribute with the local name, or the end of the last attribute in `after` when absent.
// The tag is taken from well-formed XML, so the scan needs no error handling beyond bounds.
bool findAttribute(std::string_view tag, std::string_view name, AttributeAt& found,
                   std::size_t& after) {
  std::size_t i = 1 + tagName(tag).size();
  after = i;
  while (i < tag.size()) {
    std::size_t spaceBegin = i;
    while (i < tag.size() && space(tag[i])) ++i;
    if (i >= tag.size() || tag[i] == '/' || tag[i] == '>') return false;
    AttributeAt a{spaceBegin, i};
    while (i < tag.size() && tag[i] != '=' && !space(tag[i])) ++i;
    a.nameEnd = i;
    while (i < tag.size() && tag[i] != '"' && tag[i] != '\'') ++i;
    if (i >= tag.size()) return false;
    char quote = tag[i];
    a.valueBegin = ++i;
    while (i < tag.size() && tag[i] != quote) ++i;
    a.valueEnd = i;
    after = ++i;
    std::string_view attribute = tag.substr(a.nameBegin, a.nameEnd - a.nameBegin);
    if (localPart(attribute) == name && !attribute.starts_with("xmlns")) {
      found = a;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string xmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendXmlEscaped(out, text);
  return out;
}

std::optional<std::string_view> attributeValue(std::string_view tag, std::string_view name) {
  AttributeAt a;
  std::size_t after = 0;
  if (!findAttribute(tag, name, a, after)) return std::nullopt;
  return tag.substr(a.valueBegin, a.valueEnd - a.valueBegin);
}

std::string_view tagName(std::string_view tag) {
  if (tag.empty()) return {};
  std::size_t end = 1;
  while (end < tag.size() && !space(tag[end]) && tag[end] != '/' && tag[end] != '>') ++end;
  return tag.substr(1, end - 1);
}

std::string_view tagPrefix(std::string_view tag) {
  std::string_view name = tagName(tag);
  std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? std::string_view() : name.substr(0, colon + 1);
}

bool selfClosing(std::string_view tag) { return tag.ends_with("/>"); }

std::string openTag(std::string_view tag) {
  if (!selfClosing(tag)) return std::string(tag);
  std::string out(tag.substr(0, tag.size() - 2));
  out += '>';
  return out;
}

std::string withAttribute(std::string_view tag, std::string_view name, std::string_view value) {
  AttributeAt a;
  std::size_t after = 0;
  std::string out(tag);
  if (findAttribute(tag, name, a, after))
    return out.replace(a.valueBegin, a.valueEnd - a.valueBegin, xmlEscape(value));
  std::string attribute = " ";
  attribute.append(name).append("=\"");
  appendXmlEscaped(attribute, value);
  attribute += '"';
  return out.insert(after, attribute);
}

std::string withoutAttribute(std::string_view tag, std::string_view name) {
  AttributeAt a;
  std::size_t after = 0;
  std::string out(tag);
  if (findAttribute(tag, name, a, after)) out.erase(a.spaceBegin, a.valueEnd + 1 - a.spaceBegin);
  return out;
}

}  // namespace valdrex::io
