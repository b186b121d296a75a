// Values, number texts and the arithmetic every computation shares.
#include <gtest/gtest.h>

#include <cfloat>

#include "valdrex/host/arithmetic.h"
#include "valdrex/host/date.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/number_text.h"
#include "valdrex/host/text.h"
#include "valdrex/host/variant.h"

namespace valdrex {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  struct {
    double in, out;
  } cases[] = {{0.5, 0},     {1.5, 2},     {2.5, 2},     {3.5, 4},       {-2.5, -2},
               {872.5, 872}, {937.5, 938}, {312.5, 312}, {2.4999999, 2}, {2.5000001, 3}};
  for (auto c : cases) EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
}

TEST(Rounding, CheckedWholeNumbersFailInsteadOfWrapping) {
  EXPECT_EQ(toInteger(32767.4), 32767);
  EXPECT_EQ(toInteger(-32768.5), -32768);  // half to even stays in range
  EXPECT_THROW(toInteger(32767.5), Failure);
  EXPECT_THROW(toInteger(1e300), Failure);
  EXPECT_EQ(toLong(2147483647.0), 2147483647);
  EXPECT_THROW(toLong(2147483648.0), Failure);
  EXPECT_THROW(addInteger(32000, 800), Failure);
  EXPECT_EQ(mulInteger(-181, 181), -32761);
  EXPECT_THROW(mulInteger(200, 200), Failure);
  EXPECT_THROW(toSingle(1e39), Failure);
  try {
    toInteger(40000);
  } catch (const Failure& f) {
    EXPECT_EQ(f.kind(), FailureKind::Overflow);
  }
}

TEST(NumberText, DoubleShowsAtMostFifteenDigits) {
  struct {
    double in;
    const char* out;
  } cases[] = {
      // clang-format off
      {87.2, "87.2"}, {135, "135"}, {0.5, "0.5"}, {0.9 * 150, "135"}, {0.3 * 75, "22.5"},
      {0.1 + 0.2, "0.3"}, {-3.25, "-3.25"}, {1e15, "1E+15"}, {123456789012345.0, "123456789012345"},
      {0.00001, "0.00001"}, {0.000001, "1E-06"}, {1.5e-7, "1.5E-07"}, {0, "0"}, {-0.0, "0"},
      {double(87.2f), "87.1999969482422"}, {(1 - 0.8) * 100, "20"},
      // clang-format on
  };
  for (auto c : cases) EXPECT_EQ(doubleText(c.in), c.out) << c.in;
}

// Beside the printf reference of number_text_reference_test.cc, the shortest forms by hand.
TEST(NumberText, SingleShowsItsShortestForm) {
  for (auto [in, out] : {std::pair{87.2f, "87.2"}, {0.3f, "0.3"}, {1.0f, "1"}, {170.5f, "170.5"}})
    EXPECT_EQ(singleText(in), out);
  EXPECT_EQ(singleToDouble(87.2f), 87.2);
  EXPECT_EQ(singleToDouble(-0.001f), -0.001);
}

TEST(NumberText, LeadingNumberReadsLikeTheLanguage) {
  struct {
    const char* in;
    double out;
  } cases[] = {{"60以下", 60},  {"50名", 50},   {"前50", 0},    {"", 0},       {"abc", 0},
               {" 87.5", 87.5}, {"1 0", 10},    {"\t1\n2", 12}, {".5", 0.5},   {"-.5", -0.5},
               {"1e2x", 100},   {"1e", 1},      {"1.2.3", 1.2}, {"90-80", 90}, {"-60", -60},
               {"+7", 7},       {"100—90", 100}};
  for (auto c : cases) EXPECT_EQ(leadingNumber(c.in), c.out) << c.in;
  EXPECT_THROW(leadingNumber("1e999"), Failure);
}

TEST(NumberText, TypedInputBecomesANumberOnlyWhenNothingIsLost) {
  struct {
    const char* in;
    bool number;
    double value;
  } cases[] = {
      // clang-format off
      {" 33.33", true, 33.33}, {" .5", true, 0.5}, {"80", true, 80}, {"-12.5", true, -12.5},
      {" 115 ", true, 115}, {"1e3", true, 1000}, {"0", true, 0}, {"0.25", true, 0.25},
      {"1000000000000000000", true, 1e18}, {"0501", false, 0}, {"110101200001011234", false, 0},
      {" 20以下", false, 0}, {"100-90", false, 0}, {"", false, 0}, {".", false, 0},
      {"1e", false, 0}, {"前60名", false, 0}, {"1234567890123456", false, 0},
      // clang-format on
  };
  for (auto c : cases) {
    auto v = typedNumber(c.in);
    EXPECT_EQ(v.has_value(), c.number) << c.in;
    if (v && c.number) {
      EXPECT_EQ(*v, c.value) << c.in;
    }
  }
}

TEST(Text, CountsCharactersNotBytes) {
  EXPECT_EQ(charCount("以下"), 2u);
  EXPECT_EQ(rightChars("60以下", 2), "以下");
  EXPECT_EQ(leftChars("90—80", 2), "90");
  EXPECT_EQ(midChars("90—80", 4, 2), "80");
  EXPECT_EQ(findFirstOf("90—80", {"-", "—"}), 3u);
  EXPECT_EQ(findFirstOf("abc", {"-"}), 0u);
  EXPECT_EQ(trimBlanks("  90-80 "), "90-80");
  EXPECT_EQ(trimBlanks("\t9 "), "\t9");  // only blanks are trimmed
}

TEST(VariantValues, TextOfEachKind) {
  EXPECT_EQ(textOf(Variant()), "");
  EXPECT_EQ(textOf(Variant::number(87.2)), "87.2");
  EXPECT_EQ(textOf(Variant::single(87.2f)), "87.2");
  EXPECT_EQ(textOf(Variant::integer(-5)), "-5");
  EXPECT_EQ(textOf(Variant::boolean(true)), "True");
  EXPECT_EQ(textOf(Variant::date(dateSerial({2026, 12, 6}))), "2026/12/6");
  EXPECT_EQ(textOf(Variant("语文")), "语文");
}

TEST(VariantValues, ComparesAsTheLanguageDoes) {
  EXPECT_LT(compareValues(Variant::number(85), Variant::number(90)), 0);
  EXPECT_LT(compareValues(Variant::number(1e9), Variant("a")), 0);  // numbers below any text
  EXPECT_EQ(compareValues(Variant(), Variant::number(0)), 0);
  EXPECT_LT(compareValues(Variant(), Variant::number(0.5)), 0);
  EXPECT_GT(compareValues(Variant(), Variant::number(-1)), 0);
  EXPECT_EQ(compareValues(Variant(), Variant("")), 0);
  EXPECT_LT(compareValues(Variant(), Variant("a")), 0);
  EXPECT_EQ(compareValues(Variant(), Variant()), 0);
  EXPECT_THROW(compareValues(Variant::error("#N/A"), Variant::number(1)), Failure);
}

TEST(VariantValues, PropertyCellConversions) {
  EXPECT_EQ(cellToInteger(Variant()), 0);
  EXPECT_EQ(cellToInteger(Variant::number(59.5)), 60);
  EXPECT_EQ(cellToInteger(Variant::number(60.5)), 60);
  EXPECT_EQ(cellToInteger(Variant(" 85 ")), 85);
  EXPECT_THROW(cellToInteger(Variant("八十五")), Failure);
  EXPECT_THROW(cellToInteger(Variant::number(40000)), Failure);
  EXPECT_EQ(cellToSingle(Variant::number(0.3)), 0.3f);
  EXPECT_THROW(cellToSingle(Variant("x")), Failure);
}

TEST(Dates, SerialsFollowTheSpreadsheet) {
  EXPECT_EQ(dateSerial({1900, 1, 1}), 1);
  EXPECT_EQ(dateSerial({1900, 2, 28}), 59);
  EXPECT_EQ(dateSerial({1900, 3, 1}), 61);
  EXPECT_EQ(dateSerial({2026, 12, 6}), 46362);
  for (double s : {1.0, 59.0, 61.0, 45000.0, 46362.0}) EXPECT_EQ(dateSerial(civilDate(s)), s);
  EXPECT_EQ(dateText(61.75), "1900/3/1");
}

}  // namespace
}  // namespace valdrex
