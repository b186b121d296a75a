#include "valdrex/host/text.h"

#include <algorithm>
#include <cstdint>

#include "valdrex/host/utf8.h"

namespace valdrex {

namespace {

std::size_t nextChar(std::string_view s, std::size_t pos) {
  return pos + utf8::decode(s, pos).size;
}

// Byte offset of the character with 0-based index n (s.size() when past the end).
std::size_t byteOffset(std::string_view s, std::size_t n) {
  std::size_t pos = 0;
  while (n > 0 && pos < s.size()) {
    pos = nextChar(s, pos);
    --n;
  }
  return pos;
}

uint32_t foldCase(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp - 'A' + 'a';
  if (cp >= 0xFF21 && cp <= 0xFF3A) return cp - 0xFF21 + 0xFF41;  // full-width Latin
  return cp;
}

// Two different code points in the order of their UTF-16 code units.
int compareAsUtf16(char32_t a, char32_t b) {
  auto high = [](char32_t cp) -> uint32_t {
    return cp < 0x10000 ? cp : 0xD800 + ((cp - 0x10000) >> 10);
  };
  if (high(a) != high(b)) return high(a) < high(b) ? -1 : 1;
  return a < b ? -1 : 1;  // same lead unit: both are pairs, ordered by the trail unit
}

template <class Fold>
int compareBy(std::string_view a, std::string_view b, Fold fold) {
  // Characters of the same bytes are the same character: the common start is skipped, whole
  // characters only, before comparing character by character. A cut-short sequence may end
  // where the texts part, so a character is skipped only when it ends at the same byte in both.
  const std::size_t shorter = std::min(a.size(), b.size());
  const std::size_t common = static_cast<std::size_t>(
      std::mismatch(a.begin(), a.begin() + shorter, b.begin()).first - a.begin());
  std::size_t i = 0;
  for (std::size_t next = 0;
       i < common && (next = nextChar(a, i)) <= common && next == nextChar(b, i);)
    i = next;
  std::size_t j = i;
  while (i < a.size() && j < b.size()) {
    const utf8::Char x = utf8::decode(a, i), y = utf8::decode(b, j);
    const char32_t ca = fold(x.cp), cb = fold(y.cp);
    if (ca != cb) return compareAsUtf16(ca, cb);
    // Bytes that are no character sort after U+FFFD itself and among themselves by their bytes:
    // texts of different bytes never compare equal.
    if (x.wellFormed != y.wellFormed) return x.wellFormed ? -1 : 1;
    if (!x.wellFormed)
      if (int c = a.substr(i, x.size).compare(b.substr(j, y.size)); c != 0) return c < 0 ? -1 : 1;
    i += x.size;
    j += y.size;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

std::size_t charCount(std::string_view s) { return utf8::count(s); }

std::string leftChars(std::string_view s, std::size_t n) {
  return std::string(s.substr(0, byteOffset(s, n)));
}

std::string rightChars(std::string_view s, std::size_t n) {
  std::size_t count = charCount(s);
  if (n >= count) return std::string(s);
  return std::string(s.substr(byteOffset(s, count - n)));
}

std::string midChars(std::string_view s, std::size_t start, std::size_t n) {
  if (start < 1) start = 1;
  std::size_t from = byteOffset(s, start - 1);
  std::string_view rest = s.substr(from);
  return std::string(rest.substr(0, byteOffset(rest, n)));
}

std::size_t findFirstOf(std::string_view s, std::initializer_list<std::string_view> chars) {
  std::size_t index = 1;
  for (std::size_t pos = 0; pos < s.size(); pos = nextChar(s, pos), ++index) {
    std::string_view ch = s.substr(pos, nextChar(s, pos) - pos);
    for (auto c : chars)
      if (c == ch) return index;
  }
  return 0;
}

std::string trimBlanks(std::string_view s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return "";
  std::size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

int compareText(std::string_view a, std::string_view b) {
  return compareBy(a, b, [](char32_t cp) { return cp; });
}

int compareTextIgnoringCase(std::string_view a, std::string_view b) {
  return compareBy(a, b, [](char32_t cp) -> char32_t { return foldCase(cp); });
}

}  // namespace valdrex
