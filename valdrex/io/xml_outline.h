// Where the elements of a part lie, byte for byte, so that a part can be rewritten by replacing
// a few elements and copying the bytes of every other one as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace valdrex::io {

struct XmlElement {
  std::string name;            // local name, the prefix dropped
  int depth = 0;               // the root element is 0
  std::size_t begin = 0;       // the start tag's "<"
  std::size_t startEnd = 0;    // just after the start tag
  std::size_t closeBegin = 0;  // the end tag's "<"; startEnd for an empty element
  std::size_t end = 0;         // just after the end tag
};

// Elements down to `maxDepth`, in document order. Malformed XML is a FormatProblem.
std::vector<XmlElement> outlineXml(const std::string& part, std::string_view xml, int maxDepth);

// A part's text with [begin, end) replaced by `text` (an insertion when begin == end).
struct XmlSplice {
  std::size_t begin, end;
  std::string text;
};
// `xml` with the splices applied; they may not overlap, and insertions at one place keep their
// order.
std::string splicedXml(std::string_view xml, std::vector<XmlSplice> splices);

}  // namespace valdrex::io
