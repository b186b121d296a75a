// UTF-8 read and written by one rule. Every text the library holds is UTF-8; bytes that are not
// well-formed are read the same way everywhere: each maximal subpart of an ill-formed sequence
// (the longest start of a well-formed sequence, else a single byte) is one character, U+FFFD.
// Overlong forms, surrogates and values past U+10FFFF are ill-formed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace valdrex::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

struct Char {
  char32_t cp = 0;       // U+FFFD for ill-formed bytes
  std::size_t size = 1;  // bytes taken, at least one
  bool wellFormed = true;
};

Char decodeSlow(std::string_view s, std::size_t pos);

// The character that starts at s[pos], pos < s.size(). Texts are mostly ASCII and Chinese: those
// are read here, the rest out of line.
inline Char decode(std::string_view s, std::size_t pos) {
  const auto c = static_cast<unsigned char>(s[pos]);
  if (c < 0x80) return {c, 1, true};
  if (c >= 0xE1 && c <= 0xEF && c != 0xED && pos + 2 < s.size()) {
    const auto b1 = static_cast<unsigned char>(s[pos + 1]),
               b2 = static_cast<unsigned char>(s[pos + 2]);
    if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80)
      return {static_cast<char32_t>((c & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F)), 3, true};
  }
  return decodeSlow(s, pos);
}

// A surrogate or a value past U+10FFFF is appended as U+FFFD.
void append(std::string& out, char32_t cp);

bool isValid(std::string_view s);
// The text with each ill-formed subpart replaced by U+FFFD; well-formed text comes back unchanged.
std::string repaired(std::string_view s);
// Characters, and UTF-16 code units (an ill-formed subpart is one unit, as its U+FFFD).
std::size_t count(std::string_view s);
std::size_t utf16Units(std::string_view s);

}  // namespace valdrex::utf8
