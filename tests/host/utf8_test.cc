// The one UTF-8 codec: how each byte sequence reads, what is written back, and the counts the
// callers take from it.
#include "valdrex/host/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "valdrex/host/text.h"

namespace valdrex::utf8 {
namespace {

constexpr char32_t R = kReplacement;

struct Case {
  const char* name;
  std::string bytes;
  std::vector<char32_t> read;     // the characters, U+FFFD for each ill-formed subpart
  std::vector<std::size_t> size;  // bytes each takes
};

const std::vector<Case> kCases = {
    {"empty", "", {}, {}},
    {"ASCII", "A1", {'A', '1'}, {1, 1}},
    {"two bytes", "\xC2\x80\xDF\xBF", {0x80, 0x7FF}, {2, 2}},
    {"three bytes", "\xE0\xA0\x80中\xEF\xBF\xBD", {0x800, 0x4E2D, 0xFFFD}, {3, 3, 3}},
    {"private use and last of the plane", "\xEE\x80\x80\xEF\xBF\xBF", {0xE000, 0xFFFF}, {3, 3}},
    {"four bytes", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", {0x10000, 0x10FFFF}, {4, 4}},
    {"overlong two",
     "\xC0\xAF"
     "a",
     {R, R, 'a'},
     {1, 1, 1}},
    {"overlong three", "\xE0\x9F\xBF", {R, R, R}, {1, 1, 1}},
    {"overlong four", "\xF0\x8F\xBF\xBF", {R, R, R, R}, {1, 1, 1, 1}},
    {"surrogate", "\xED\xA0\x80", {R, R, R}, {1, 1, 1}},
    {"last before surrogates", "\xED\x9F\xBF", {0xD7FF}, {3}},
    {"past U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}, {1, 1, 1, 1}},
    {"lead past F4", "\xF5\x80", {R, R}, {1, 1}},
    {"FE and FF", "\xFE\xFF", {R, R}, {1, 1}},
    {"stray continuation",
     "a\x80\xBF"
     "b",
     {'a', R, R, 'b'},
     {1, 1, 1, 1}},
    {"cut short at the end", "中\xE4\xB8", {0x4E2D, R}, {3, 2}},
    {"cut short by ASCII",
     "\xE4\xB8"
     "AB",
     {R, 'A', 'B'},
     {2, 1, 1}},
    {"cut short before the end",
     "\xEC\x80"
     "A",
     {R, 'A'},
     {2, 1}},
    {"four cut after three",
     "\xF0\x9F\x98"
     "x",
     {R, 'x'},
     {3, 1}},
    {"lead then lead", "\xE4\xE4\xB8\xAD", {R, 0x4E2D}, {1, 3}},
    {"lone lead at the end", "a\xC3", {'a', R}, {1, 1}},
};

TEST(Utf8, EachSequenceReadsByTheMaximalSubpartRule) {
  for (const Case& c : kCases) {
    std::vector<char32_t> read;
    std::vector<std::size_t> size;
    bool wellFormed = true;
    std::string rewritten;
    for (std::size_t i = 0; i < c.bytes.size();) {
      const Char ch = decode(c.bytes, i);
      read.push_back(ch.cp);
      size.push_back(ch.size);
      wellFormed = wellFormed && ch.wellFormed;
      EXPECT_EQ(ch.wellFormed, ch.cp != R || c.bytes.compare(i, 3, "\xEF\xBF\xBD") == 0) << c.name;
      append(rewritten, ch.cp);
      i += ch.size;
    }
    EXPECT_EQ(read, c.read) << c.name;
    EXPECT_EQ(size, c.size) << c.name;
    EXPECT_EQ(isValid(c.bytes), wellFormed) << c.name;
    EXPECT_EQ(repaired(c.bytes), rewritten) << c.name;
    EXPECT_TRUE(isValid(repaired(c.bytes))) << c.name;
    if (wellFormed) {
      EXPECT_EQ(repaired(c.bytes), c.bytes) << c.name;
    }
    EXPECT_EQ(count(c.bytes), c.read.size()) << c.name;
  }
}

TEST(Utf8, WhatCannotBeACharacterIsWrittenAsTheReplacement) {
  const struct {
    char32_t cp;
    std::string bytes;
  } cases[] = {
      {0, std::string(1, '\0')},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x1F600, "\xF0\x9F\x98\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
      {0xD800, "\xEF\xBF\xBD"},
      {0xDFFF, "\xEF\xBF\xBD"},
      {0x110000, "\xEF\xBF\xBD"},
      {0xFFFFFFFF, "\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    std::string out;
    append(out, c.cp);
    EXPECT_EQ(out, c.bytes) << std::hex << static_cast<unsigned long>(c.cp);
  }
}

TEST(Utf8, UnitsCountPairsBeyondTheBasicPlaneAndOneForEachBrokenSubpart) {
  const struct {
    std::string text;
    std::size_t characters, units;
  } cases[] = {
      {"班级", 2, 2},
      {"\xF0\x9F\x98\x80"
       "a",
       2, 3},
      {"\xF0\x9F\x98", 1, 1},  // cut short: one U+FFFD
      {"\x80\x80", 2, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(count(c.text), c.characters) << c.text;
    EXPECT_EQ(utf16Units(c.text), c.units) << c.text;
  }
}

TEST(Utf8, TextFunctionsTakeABrokenSubpartAsOneCharacterAndKeepItsBytes) {
  const std::string text =
      "\xE4\xB8"
      "AB\x80中";  // cut short, two letters, stray, 中
  EXPECT_EQ(charCount(text), 5u);
  EXPECT_EQ(leftChars(text, 1), "\xE4\xB8");
  EXPECT_EQ(midChars(text, 2, 3), "AB\x80");
  EXPECT_EQ(rightChars(text, 1), "中");
  EXPECT_EQ(findFirstOf(text, {"B"}), 3u);
}

}  // namespace
}  // namespace valdrex::utf8
