// Text comparison skips the bytes two texts share before decoding; it must order every pair as
// decoding both from their first character does, broken UTF-8 included.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "valdrex/host/text.h"
#include "valdrex/host/utf8.h"

namespace valdrex {
namespace {

// Characters as the codec reads them, each with its bytes.
struct Read {
  char32_t cp;
  std::string bytes;
  bool wellFormed;
};

std::vector<Read> decodeAll(const std::string& s, bool fold) {
  std::vector<Read> out;
  for (std::size_t i = 0; i < s.size();) {
    const utf8::Char ch = utf8::decode(s, i);
    char32_t cp = ch.cp;
    if (fold && cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
    if (fold && cp >= 0xFF21 && cp <= 0xFF3A) cp += 0xFF41 - 0xFF21;
    out.push_back({cp, s.substr(i, ch.size), ch.wellFormed});
    i += ch.size;
  }
  return out;
}

// UTF-16 order of the characters; bytes that are no character after U+FFFD, among themselves by
// their bytes.
int referenceCompare(const std::string& a, const std::string& b, bool fold) {
  auto x = decodeAll(a, fold), y = decodeAll(b, fold);
  auto unit = [](char32_t cp) -> uint32_t {
    return cp < 0x10000 ? cp : 0xD800 + ((cp - 0x10000) >> 10);
  };
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
    if (x[i].cp != y[i].cp) {
      if (unit(x[i].cp) != unit(y[i].cp)) return unit(x[i].cp) < unit(y[i].cp) ? -1 : 1;
      return x[i].cp < y[i].cp ? -1 : 1;
    }
    if (x[i].wellFormed != y[i].wellFormed) return x[i].wellFormed ? -1 : 1;
    if (!x[i].wellFormed && x[i].bytes != y[i].bytes) return x[i].bytes < y[i].bytes ? -1 : 1;
  }
  return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

int sign(int x) { return (x > 0) - (x < 0); }

TEST(TextCompareReference, SharedStartsAndBrokenSequencesOrderAsDecodedFromTheStart) {
  // Pieces that make long shared starts, case pairs, characters beyond the basic plane and bytes
  // that break a sequence.
  const std::vector<std::string> pieces = {"1",  "2", "班",           "A",    "a",    "Ｚ",
                                           "ｚ", "😀", "中",           "\xE4", "\xB8", "\xF0\x9F",
                                           " ",  "-", "\xEF\xBF\xBD", "\xFF"};
  std::mt19937 random(1206);
  auto text = [&] {
    std::string s = "高一";
    for (int n = static_cast<int>(random() % 6); n > 0; --n) s += pieces[random() % pieces.size()];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string a = text(), b = random() % 4 ? text() : a;
    ASSERT_EQ(sign(compareText(a, b)), referenceCompare(a, b, false)) << a << " | " << b;
    ASSERT_EQ(compareText(a, b) == 0, a == b) << a << " | " << b;  // sheet names are found so
    ASSERT_EQ(sign(compareTextIgnoringCase(a, b)), referenceCompare(a, b, true)) << a << " | " << b;
  }
}

}  // namespace
}  // namespace valdrex
