#include "valdrex/io/xml_outline.h"

#include <algorithm>
#include <stdexcept>

#include "valdrex/io/xml_parser.h"

namespace valdrex::io {
namespace {

class OutlineHandler : public XmlHandler {
 public:
  OutlineHandler(std::vector<XmlElement>& out, int maxDepth) : out_(out), maxDepth_(maxDepth) {}

  void startElement(std::string_view name, const XmlAttributes&) override {
    if (depth_ <= maxDepth_) {
      XmlSpan tag = tagSpan();
      open_.push_back(out_.size());
      out_.push_back(XmlElement{std::string(name), depth_, tag.begin, tag.end, tag.end, tag.end});
    }
    ++depth_;
  }

  void endElement(std::string_view) override {
    --depth_;
    if (depth_ > maxDepth_) return;
    XmlElement& span = out_[open_.back()];
    open_.pop_back();
    XmlSpan tag = tagSpan();
    if (tag.begin == tag.end) return;  // an empty element: its one tag was the start
    span.closeBegin = tag.begin;
    span.end = tag.end;
  }

 private:
  std::vector<XmlElement>& out_;
  std::vector<std::size_t> open_;
  int maxDepth_;
  int depth_ = 0;
};

}  // namespace

std::vector<XmlElement> outlineXml(const std::string& part, std::string_view xml, int maxDepth) {
  std::vector<XmlElement> out;
  OutlineHandler handler(out, maxDepth);
  parseXml(part, xml, handler);
  return out;
}

std::string splicedXml(std::string_view xml, std::vector<XmlSplice> splices) {
  std::stable_sort(splices.begin(), splices.end(),
                   [](const XmlSplice& a, const XmlSplice& b) { return a.begin < b.begin; });
  std::string out;
  out.reserve(xml.size() + 256);
  std::size_t at = 0;
  for (const XmlSplice& s : splices) {
    // Overlapping edits would write a part no program can read: a fault of the caller.
    if (s.begin < at || s.end < s.begin || s.end > xml.size())
      throw std::logic_error("重叠的部件修改");
    out.append(xml, at, s.begin - at);
    out += s.text;
    at = s.end;
  }
  out.append(xml, at);
  return out;
}

}  // namespace valdrex::io
