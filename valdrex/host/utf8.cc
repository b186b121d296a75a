#include "valdrex/host/utf8.h"

namespace valdrex::utf8 {

namespace {

// The bytes that may follow lead byte c as the second of a well-formed sequence, and the
// sequence's length (0 for a byte that cannot lead one): overlong forms, surrogates and code
// points past U+10FFFF are ruled out by the second byte.
struct Lead {
  unsigned char low = 0x80, high = 0x7F;
  std::size_t length = 0;
};

Lead leadOf(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return {0x80, 0xBF, 2};
  if (c == 0xE0) return {0xA0, 0xBF, 3};
  if (c == 0xED) return {0x80, 0x9F, 3};
  if (c >= 0xE1 && c <= 0xEF) return {0x80, 0xBF, 3};
  if (c == 0xF0) return {0x90, 0xBF, 4};
  if (c == 0xF4) return {0x80, 0x8F, 4};
  if (c >= 0xF1 && c <= 0xF3) return {0x80, 0xBF, 4};
  return {};
}

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

Char decodeSlow(std::string_view s, std::size_t pos) {
  const auto c = static_cast<unsigned char>(s[pos]);
  const Lead lead = leadOf(c);
  if (lead.length == 0 || pos + 1 >= s.size()) return {kReplacement, 1, false};
  const auto second = static_cast<unsigned char>(s[pos + 1]);
  if (second < lead.low || second > lead.high) return {kReplacement, 1, false};
  char32_t cp = (c & (0x7F >> lead.length)) << 6 | (second & 0x3F);
  std::size_t n = 2;
  for (; n < lead.length && pos + n < s.size(); ++n) {
    const auto next = static_cast<unsigned char>(s[pos + n]);
    if (!continuation(next)) break;
    cp = cp << 6 | (next & 0x3F);
  }
  if (n < lead.length) return {kReplacement, n, false};
  return {cp, n, true};
}

void append(std::string& out, char32_t cp) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool isValid(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const Char ch = decode(s, i);
    if (!ch.wellFormed) return false;
    i += ch.size;
  }
  return true;
}

std::string repaired(std::string_view s) {
  std::string out;
  std::size_t copied = 0;  // s[copied, i) is well-formed and not yet in out
  std::size_t i = 0;
  while (i < s.size()) {
    const Char ch = decode(s, i);
    if (!ch.wellFormed) {
      out.append(s, copied, i - copied);
      append(out, kReplacement);
      copied = i + ch.size;
    }
    i += ch.size;
  }
  if (copied == 0) return std::string(s);
  out.append(s, copied, s.size() - copied);
  return out;
}

std::size_t count(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); i += decode(s, i).size) ++n;
  return n;
}

std::size_t utf16Units(std::string_view s) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < s.size();) {
    const Char ch = decode(s, i);
    units += ch.cp >= 0x10000 ? 2 : 1;
    i += ch.size;
  }
  return units;
}

}  // namespace valdrex::utf8
