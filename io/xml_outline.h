// Where the elements of a part lie, byte for byte, so that a part can be rewritten by replacing
// a few elements and copying the bytes of every other one as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace valdrex::io {

struct XmlElement {
  std::string name;          // local name, the prefix dropped
  int depth = 0;             // the root element is 0
  std::size_t begin = 0;     // the start tag's "<"
  std::size_t startEnd = 0;  // just after the start tag
  std::size_t closeBegin = 0;  // the end tag's "<"; startEnd for an empty element
  std::size_t end = 0;       // just after the end tag
};

// Elements down to `maxDepth`, in document order. Malformed XML is a FormatProblem.
std::vector<XmlElement> outlineXml(const std::string& part, std::string_view xml, int maxDepth);

// The value of an attribute of a start tag ("<sheet name=\"A\" r:id=\"rId1\">"), looked up by its
// full name as written ("r:id"), entities left as they are; nullopt when absent.
std::optional<std::string_view> tagAttribute(std::string_view tag, std::string_view name);
// The start tag with the attribute set to `value` (already escaped), added before the tag's end
// when missing; or removed when `value` is nullopt.
std::string withTagAttribute(std::string_view tag, std::string_view name,
                             std::optional<std::string_view> value);

// Text escaped for an attribute value or element content.
void appendEscaped(std::string& out, std::string_view text);
std::string escaped(std::string_view text);

}  // namespace valdrex::io
