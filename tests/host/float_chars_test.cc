// Where the standard library lacks floating-point to_chars/from_chars, numbers are written and read
// with printf and strtod; the workbook must come out byte for byte the same. Here both are held to
// the standard forms over numbers of every size and the texts the reader meets.
#include "valdrex/host/float_chars.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace valdrex::host {
namespace {

std::vector<double> numbers() {
  std::vector<double> xs = {0.0,
                            -0.0,
                            0.1,
                            0.5,
                            87.2,
                            531.7,
                            -3.125,
                            1e-5,
                            1.5e-7,
                            99999,
                            100000,
                            123456,
                            1e15,
                            1e16,
                            1e21,
                            1e22,
                            1e23,
                            9007199254740991.0,
                            9007199254740992.0,
                            9007199254740994.0,
                            1.2345678901234568e20,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
  std::mt19937_64 random(7);
  for (int i = 0; i < 8000; ++i) {
    // Any bit pattern: every exponent, subnormals too.
    std::uint64_t bits = random();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    if (!std::isnan(x)) xs.push_back(x);
    // What a run writes: scores in tenths, rates and averages in hundredths, singles widened.
    xs.push_back(static_cast<double>(random() % 20000) / 10);
    xs.push_back(static_cast<double>(random() % 1000000) / 100);
    xs.push_back(static_cast<double>(static_cast<float>(random() % 15000) / 10.0f));
  }
  return xs;
}

std::string text(char* begin, char* end) { return std::string(begin, end); }

TEST(FloatChars, PrintfFormsAreTheStandardOnes) {
  for (double x : numbers()) {
    char portable[kFloatCharsRoom], standard[kFloatCharsRoom];
    ASSERT_EQ(text(portable, portable::shortestChars(portable, x)),
              text(standard, std::to_chars(standard, standard + sizeof standard, x).ptr))
        << "shortest of " << x;
    for (int precision : {0, 6, 14, 16}) {
      const auto made = std::to_chars(standard, standard + sizeof standard, x,
                                      std::chars_format::scientific, precision);
      ASSERT_EQ(text(portable, portable::scientificChars(portable, x, precision)),
                text(standard, made.ptr))
          << "scientific " << precision << " of " << x;
    }
  }
}

TEST(FloatChars, ReadingTakesWhatFromCharsTakes) {
  std::vector<std::string> texts = {"0",         "-0",
                                    "87.2",      "87.",
                                    ".5",        "-.5",
                                    "1e5",       "1E+05",
                                    "2.5e-3",    "1e",
                                    "1e+",       "e5",
                                    ".",         "-",
                                    "",          "+1",
                                    " 1",        "1 ",
                                    "0x10",      "1,5",
                                    "１",        "inf",
                                    "-INF",      "Infinity",
                                    "infin",     "nan",
                                    "NaN(12_a)", "nan(",
                                    "nan()",     "1e400",
                                    "-1e400",    "1e-400",
                                    "4.9e-324",  "2.2250738585072014e-308",
                                    "00012",     "1..2",
                                    "1e5.5",     "12abc"};
  for (double x : numbers()) {
    char buffer[kFloatCharsRoom];
    texts.push_back(text(buffer, portable::shortestChars(buffer, x)));
    texts.push_back(text(buffer, portable::scientificChars(buffer, x, 6)));
  }
  for (const std::string& s : texts) {
    double standard = -1, portable = -1;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), standard);
    const bool whole = !s.empty() && ec == std::errc() && end == s.data() + s.size();
    ASSERT_EQ(portable::readDouble(s, portable), whole) << "“" << s << "”";
    if (!whole) continue;
    if (std::isnan(standard))
      EXPECT_TRUE(std::isnan(portable)) << s;
    else
      EXPECT_EQ(std::memcmp(&standard, &portable, sizeof standard), 0) << s;
  }
}

}  // namespace
}  // namespace valdrex::host
