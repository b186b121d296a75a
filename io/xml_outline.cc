#include "io/xml_outline.h"

#include "io/xml_parser.h"

namespace valdrex::io {
namespace {

class OutlineHandler : public XmlHandler {
 public:
  OutlineHandler(std::vector<XmlElement>& out, int maxDepth) : out_(out), maxDepth_(maxDepth) {}
  void attach(const XmlParser& parser) { parser_ = &parser; }

  void startElement(std::string_view name, const XmlAttributes&) override {
    if (depth_ <= maxDepth_) {
      XmlParser::Span tag = parser_->currentTag();
      open_.push_back(out_.size());
      out_.push_back(XmlElement{std::string(name), depth_, tag.offset, tag.offset + tag.length,
                             tag.offset + tag.length, tag.offset + tag.length});
    }
    ++depth_;
  }

  void endElement(std::string_view) override {
    --depth_;
    if (depth_ > maxDepth_) return;
    XmlElement& span = out_[open_.back()];
    open_.pop_back();
    XmlParser::Span tag = parser_->currentTag();
    if (tag.length == 0) return;  // an empty element: its one tag was the start
    span.closeBegin = tag.offset;
    span.end = tag.offset + tag.length;
  }

 private:
  std::vector<XmlElement>& out_;
  std::vector<std::size_t> open_;
  const XmlParser* parser_ = nullptr;
  int maxDepth_;
  int depth_ = 0;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Where one attribute of the tag lies: [nameBegin, valueEnd] including the closing quote.
struct AttributeAt {
  std::size_t begin = 0, valueBegin = 0, valueEnd = 0;
};

std::optional<AttributeAt> findAttribute(std::string_view tag, std::string_view wanted) {
  std::size_t i = 1;
  while (i < tag.size() && !isSpace(tag[i]) && tag[i] != '>' && tag[i] != '/') ++i;  // the name
  while (i < tag.size()) {
    while (i < tag.size() && isSpace(tag[i])) ++i;
    if (i >= tag.size() || tag[i] == '>' || tag[i] == '/') return std::nullopt;
    std::size_t nameBegin = i;
    while (i < tag.size() && tag[i] != '=' && !isSpace(tag[i])) ++i;
    std::string_view name = tag.substr(nameBegin, i - nameBegin);
    while (i < tag.size() && tag[i] != '=') ++i;
    ++i;
    while (i < tag.size() && isSpace(tag[i])) ++i;
    if (i >= tag.size()) return std::nullopt;
    char quote = tag[i];
    std::size_t valueBegin = ++i;
    while (i < tag.size() && tag[i] != quote) ++i;
    if (i >= tag.size()) return std::nullopt;
    if (name == wanted) return AttributeAt{nameBegin, valueBegin, i};
    ++i;
  }
  return std::nullopt;
}

}  // namespace

std::vector<XmlElement> outlineXml(const std::string& part, std::string_view xml, int maxDepth) {
  std::vector<XmlElement> out;
  OutlineHandler handler(out, maxDepth);
  XmlParser parser(part, handler);
  handler.attach(parser);
  parser.feed(xml);
  parser.finish();
  return out;
}

std::optional<std::string_view> tagAttribute(std::string_view tag, std::string_view name) {
  auto at = findAttribute(tag, name);
  if (!at) return std::nullopt;
  return tag.substr(at->valueBegin, at->valueEnd - at->valueBegin);
}

std::string withTagAttribute(std::string_view tag, std::string_view name,
                             std::optional<std::string_view> value) {
  auto at = findAttribute(tag, name);
  std::string out;
  if (at) {
    std::size_t from = at->begin;
    while (from > 0 && isSpace(tag[from - 1])) --from;  // the blank before it goes too
    out.append(tag.substr(0, from));
    if (value) out.append(" ").append(name).append("=\"").append(*value).append("\"");
    out.append(tag.substr(at->valueEnd + 1));
    return out;
  }
  if (!value) return std::string(tag);
  std::size_t close = tag.size() - 1;  // the ">"
  if (close > 0 && tag[close - 1] == '/') --close;
  out.append(tag.substr(0, close));
  out.append(" ").append(name).append("=\"").append(*value).append("\"");
  out.append(tag.substr(close));
  return out;
}

void appendEscaped(std::string& out, std::string_view text) {
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* replacement = nullptr;
    switch (text[i]) {
      case '&': replacement = "&amp;"; break;
      case '<': replacement = "&lt;"; break;
      case '>': replacement = "&gt;"; break;
      case '"': replacement = "&quot;"; break;
      default: continue;
    }
    out.append(text.substr(plain, i - plain)).append(replacement);
    plain = i + 1;
  }
  out.append(text.substr(plain));
}

std::string escaped(std::string_view text) {
  std::string out;
  appendEscaped(out, text);
  return out;
}

}  // namespace valdrex::io
