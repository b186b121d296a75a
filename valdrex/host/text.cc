#include "valdrex/host/text.h"

#include <algorithm>
#include <cstdint>

namespace valdrex {

namespace {

// Byte length of the UTF-8 sequence that starts with lead byte c; stray bytes count as one.
std::size_t sequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c >> 5) == 0x6) return 2;
  if ((c >> 4) == 0xE) return 3;
  if ((c >> 3) == 0x1E) return 4;
  return 1;
}

std::size_t nextChar(std::string_view s, std::size_t pos) {
  std::size_t n = pos + sequenceLength(static_cast<unsigned char>(s[pos]));
  return n > s.size() ? s.size() : n;
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

char32_t decode(std::string_view s, std::size_t pos) {
  auto c = static_cast<unsigned char>(s[pos]);
  std::size_t len = nextChar(s, pos) - pos;
  if (len == 1) return c;
  char32_t cp = c & (0x7F >> len);
  for (std::size_t i = 1; i < len; ++i)
    cp = (cp << 6) | (static_cast<unsigned char>(s[pos + i]) & 0x3F);
  return cp;
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
  // characters only, before comparing character by character.
  const std::size_t shorter = std::min(a.size(), b.size());
  const std::size_t common = static_cast<std::size_t>(
      std::mismatch(a.begin(), a.begin() + shorter, b.begin()).first - a.begin());
  std::size_t i = 0;
  for (std::size_t next = 0; i < common && (next = nextChar(a, i)) <= common;) i = next;
  std::size_t j = i;
  while (i < a.size() && j < b.size()) {
    char32_t ca = fold(decode(a, i)), cb = fold(decode(b, j));
    if (ca != cb) return compareAsUtf16(ca, cb);
    i = nextChar(a, i);
    j = nextChar(b, j);
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

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

}  // namespace

std::string validUtf8(std::string_view s) {
  std::string out;
  std::size_t copied = 0;  // s[copied, i) is well-formed and not yet in out
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    const Lead lead = leadOf(c);
    std::size_t n = 1;  // bytes of the sequence that fit
    if (lead.length > 1 && i + 1 < s.size()) {
      const auto second = static_cast<unsigned char>(s[i + 1]);
      if (second >= lead.low && second <= lead.high) {
        n = 2;
        while (n < lead.length && i + n < s.size() &&
               (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80)
          ++n;
      }
    }
    if (n == lead.length) {
      i += n;
      continue;
    }
    out.append(s, copied, i - copied);
    out += "\xEF\xBF\xBD";
    i += n;
    copied = i;
  }
  if (copied == 0) return std::string(s);
  out.append(s, copied, s.size() - copied);
  return out;
}

std::size_t charCount(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < s.size(); pos = nextChar(s, pos)) ++n;
  return n;
}

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
