// Start tags of a well-formed part edited as text, so that a patched part keeps every byte the
// edit does not touch (attribute order, quotes, namespace prefixes).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "valdrex/host/utf8.h"

namespace valdrex::io {

// The text escaped for an attribute value or character data, appended to `out` (a string or
// anything else with append(string_view)); broken UTF-8 becomes U+FFFD.
template <class Out>
void appendXmlEscaped(Out& out, std::string_view text) {
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view reference;
    if (static_cast<unsigned char>(text[i]) >= 0x80) {
      // Bytes that are no UTF-8 would leave a part no reader accepts: each broken subpart is
      // written as U+FFFD, the character every reader of the library's texts takes it for.
      const utf8::Char ch = utf8::decode(text, i);
      if (ch.wellFormed) {
        i += ch.size - 1;
        continue;
      }
      out.append(text.substr(plain, i - plain));
      out.append(std::string_view("\xEF\xBF\xBD"));
      plain = i + ch.size;
      i = plain - 1;
      continue;
    }
    switch (text[i]) {
      case '&':
        reference = "&amp;";
        break;
      case '<':
        reference = "&lt;";
        break;
      case '>':
        reference = "&gt;";
        break;
      case '"':
        reference = "&quot;";
        break;
      // Kept as references: a parser turns raw white space in an attribute into blanks.
      case '\t':
        reference = "&#9;";
        break;
      case '\n':
        reference = "&#10;";
        break;
      case '\r':
        reference = "&#13;";
        break;
      default:
        continue;
    }
    out.append(text.substr(plain, i - plain));
    out.append(reference);
    plain = i + 1;
  }
  out.append(text.substr(plain));
}
std::string xmlEscape(std::string_view text);

// The qualified name of a start tag ("x:xf" for <x:xf numFmtId="0"/>).
std::string_view tagName(std::string_view tag);
// The namespace prefix of a tag's name with its colon ("x:"), or "".
std::string_view tagPrefix(std::string_view tag);
// Whether the tag closes itself (<a/>).
bool selfClosing(std::string_view tag);
// A self-closing tag as a start tag that content can follow; other tags as they are.
std::string openTag(std::string_view tag);

// The value of the attribute (matched by local name) as written, entities left as they are;
// nullopt when absent.
std::optional<std::string_view> attributeValue(std::string_view tag, std::string_view name);
// The tag with the attribute (matched by local name) set to the value, added after the last
// attribute when absent. The value is escaped here.
std::string withAttribute(std::string_view tag, std::string_view name, std::string_view value);
// The tag without the attribute.
std::string withoutAttribute(std::string_view tag, std::string_view name);

}  // namespace valdrex::io
