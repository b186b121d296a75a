#include "valdrex/io/string_item.h"

#include "valdrex/host/utf8.h"

namespace valdrex::io {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string StringItem::text() const { return decodeEscapes(text_); }

std::string decodeEscapes(std::string_view s) {
  if (s.find("_x") == std::string_view::npos) return std::string(s);
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
      unsigned cp = 0;
      bool hex = true;
      for (std::size_t k = i + 2; k < i + 6; ++k) {
        int v = hexValue(s[k]);
        if (v < 0) hex = false;
        cp = cp * 16 + static_cast<unsigned>(v < 0 ? 0 : v);
      }
      // A lone surrogate cannot stand in UTF-8 text; leave such an escape as written.
      if (hex && (cp < 0xD800 || cp > 0xDFFF)) {
        utf8::append(out, cp);
        i += 6;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

}  // namespace valdrex::io
