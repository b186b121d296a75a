// Text comparison skips the bytes two texts share before decoding; it must order every pair as
// decoding both from their first character does, broken UTF-8 included.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "valdrex/host/text.h"

namespace valdrex {
namespace {

// Code points as the comparison reads them: a stray or cut-short sequence is read as far as it
// goes, never past the end.
std::vector<char32_t> decodeAll(const std::string& s, bool fold) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80           ? 1
                      : (c >> 5) == 6    ? 2
                      : (c >> 4) == 0xE  ? 3
                      : (c >> 3) == 0x1E ? 4
                                         : 1;
    len = std::min(len, s.size() - i);
    char32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    if (fold && cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
    if (fold && cp >= 0xFF21 && cp <= 0xFF3A) cp += 0xFF41 - 0xFF21;
    out.push_back(cp);
    i += len;
  }
  return out;
}

int referenceCompare(const std::string& a, const std::string& b, bool fold) {
  auto x = decodeAll(a, fold), y = decodeAll(b, fold);
  auto unit = [](char32_t cp) -> uint32_t {
    return cp < 0x10000 ? cp : 0xD800 + ((cp - 0x10000) >> 10);
  };
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
    if (x[i] == y[i]) continue;
    if (unit(x[i]) != unit(y[i])) return unit(x[i]) < unit(y[i]) ? -1 : 1;
    return x[i] < y[i] ? -1 : 1;
  }
  return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

int sign(int x) { return (x > 0) - (x < 0); }

TEST(TextCompareReference, SharedStartsAndBrokenSequencesOrderAsDecodedFromTheStart) {
  // Pieces that make long shared starts, case pairs, characters beyond the basic plane and bytes
  // that break a sequence.
  const std::vector<std::string> pieces = {"1", "2",  "班",   "A",    "a",        "Ｚ", "ｚ",
                                           "😀", "中", "\xE4", "\xB8", "\xF0\x9F", " ",  "-"};
  std::mt19937 random(1206);
  auto text = [&] {
    std::string s = "高一";
    for (int n = static_cast<int>(random() % 6); n > 0; --n) s += pieces[random() % pieces.size()];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string a = text(), b = random() % 4 ? text() : a;
    ASSERT_EQ(sign(compareText(a, b)), referenceCompare(a, b, false)) << a << " | " << b;
    ASSERT_EQ(sign(compareTextIgnoringCase(a, b)), referenceCompare(a, b, true)) << a << " | " << b;
  }
}

}  // namespace
}  // namespace valdrex
