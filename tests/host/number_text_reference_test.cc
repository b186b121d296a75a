// Number texts are built without printf for speed; they must still agree with printf's rounding
// digit for digit. The reference below is the plain printf version of the same rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "valdrex/host/failure.h"
#include "valdrex/host/number_text.h"

namespace valdrex {
namespace {

std::string referenceText(double x, int digits, int maxExponent) {
  if (x == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, x);
  std::string s(buf);
  std::size_t e = s.find('e');
  int exponent = std::atoi(s.c_str() + e + 1);
  bool negative = s[0] == '-';
  std::string mantissa;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i)
    if (s[i] != '.') mantissa += s[i];
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  std::string out = negative ? "-" : "";
  if (exponent < -5 || exponent >= maxExponent) {
    out += mantissa[0];
    if (mantissa.size() > 1) out.append(".").append(mantissa, 1);
    std::snprintf(buf, sizeof buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return out.append(buf);
  }
  if (exponent < 0) return out.append("0.").append(-exponent - 1, '0').append(mantissa);
  std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
  if (mantissa.size() <= intDigits)
    return out.append(mantissa).append(intDigits - mantissa.size(), '0');
  return out.append(mantissa, 0, intDigits).append(".").append(mantissa, intDigits);
}

double referenceSingleToDouble(float x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6e", static_cast<double>(x));
  return std::strtod(buf, nullptr);
}

// Scores, halves and tenths, rates, whole numbers at the digit limits, and random doubles over
// every magnitude, each also negated.
std::vector<double> samples() {
  std::vector<double> xs = {
      0.5,  2.5,   87.2,   135,    0.1 + 0.2, 1e15 - 1, 1e15,  999999.95,
      1e-5, 1e-6,  5e-6,   9.5e-6, 1e7 - 1,   1e7,      1e21,  123456789012345.6,
      0.05, 0.015, 66.665, 33.335, 1.0 / 3,   2.0 / 3,  1e300, 4.9e-324};
  for (int i = 0; i <= 1500; ++i) xs.push_back(i / 10.0);
  for (int i = 0; i <= 10000; i += 7) xs.push_back(i / 100.0);
  std::mt19937_64 random(20261206);
  std::uniform_real_distribution<double> mantissa(1, 10);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int i = 0; i < 20000; ++i) xs.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
  std::size_t n = xs.size();
  for (std::size_t i = 0; i < n; ++i) xs.push_back(-xs[i]);
  return xs;
}

TEST(NumberTextReference, DoubleAndSingleTextsMatchPrintf) {
  for (double x : samples()) {
    ASSERT_EQ(doubleText(x), referenceText(x, 15, 15)) << x;
    float f = static_cast<float>(x);
    if (!std::isfinite(f)) continue;
    ASSERT_EQ(singleText(f), referenceText(f, 7, 7)) << f;
    ASSERT_EQ(singleToDouble(f), referenceSingleToDouble(f)) << f;
  }
}

// Decimal texts of every shape and length, down to the smallest and up to the largest doubles:
// reading them agrees with strtod, an overflow included.
TEST(NumberTextReference, ReadingDecimalsMatchesStrtod) {
  std::mt19937 random(61206);
  auto digits = [&](int n) {
    std::string d;
    for (int i = 0; i < n; ++i) d += static_cast<char>('0' + random() % 10);
    return d;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string s = std::vector<std::string>{"", "+", "-"}[random() % 3];
    const int whole = static_cast<int>(random() % 22), fraction = static_cast<int>(random() % 22);
    s += digits(whole);
    if (fraction > 0 || whole == 0) s.append(".").append(digits(fraction == 0 ? 1 : fraction));
    if (random() % 2) {
      s.append("e").append(std::vector<std::string>{"", "+", "-"}[random() % 3]);
      s.append(std::to_string(random() % 330));
    }
    const double expected = std::strtod(s.c_str(), nullptr);
    if (!std::isfinite(expected)) {
      EXPECT_THROW(leadingNumber(s), Failure) << s;
      continue;
    }
    ASSERT_EQ(leadingNumber(s), expected) << s;
    if (auto typed = typedNumber(s)) {
      ASSERT_EQ(*typed, expected == 0 ? 0.0 : expected) << s;
    }
  }
}

// Numbers typed with a Chinese input method read as their half-width forms; nothing else changes.
TEST(HalfWidthNumberText, NarrowsDigitsPointAndSignsAndTrimsSpaces) {
  const struct {
    const char* typed;
    const char* read;
  } cases[] = {
      {"９０", "90"},     {"９０．５", "90.5"}, {"　８５ ", "85"}, {"－５", "-5"},   {"＋８", "+8"},
      {"９０分", "90分"}, {"85。5", "85。5"},   {"缺考", "缺考"},  {"\t90\t", "90"}, {"", ""},
      {"Ａ", "Ａ"},
  };
  for (const auto& c : cases) EXPECT_EQ(halfWidthNumberText(c.typed), c.read) << c.typed;
}

}  // namespace
}  // namespace valdrex
