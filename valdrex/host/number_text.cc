#include "valdrex/host/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "valdrex/host/argument_text.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/float_chars.h"
#include "valdrex/host/utf8.h"

namespace valdrex {

namespace {

// Exact powers of ten up to the largest bound a whole number is written in full below.
constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Decimal text of x with at most `digits` significant digits; exponent form when the decimal
// exponent is below -5 or at least `maxExponent`. Numbers are turned into text for every cell a
// run reads, so this works in a stack buffer: the digits are those of printf's "%.*e".
std::string formatNumber(double x, int digits, int maxExponent) {
  if (x == 0 || !std::isfinite(x))
    return x == 0 ? "0" : (std::isnan(x) ? "NaN" : (x > 0 ? "Inf" : "-Inf"));
  char out[64];
  // A whole number that fits the digits is its integer digits, with no rounding to do.
  if (std::abs(x) < kPow10[std::min({digits, maxExponent, 15})] && x == std::trunc(x)) {
    auto end = std::to_chars(out, out + sizeof out, static_cast<long long>(x)).ptr;
    return std::string(out, end);
  }

  char buf[64];
  char* e = host::scientificChars(buf, x, digits - 1);
  *e = '\0';
  e = std::strchr(buf, 'e');
  const char* expText = e + 1;
  if (*expText == '+') ++expText;
  int exponent = 0;
  std::from_chars(expText, buf + std::strlen(buf), exponent);
  const bool negative = buf[0] == '-';
  char mantissa[32];  // the significant digits, trailing zeros dropped
  std::size_t m = 0;
  for (const char* p = buf + (negative ? 1 : 0); p < e; ++p)
    if (*p != '.') mantissa[m++] = *p;
  while (m > 1 && mantissa[m - 1] == '0') --m;

  std::size_t n = 0;
  if (negative) out[n++] = '-';
  auto put = [&](const char* from, std::size_t count) {
    std::memcpy(out + n, from, count);
    n += count;
  };
  if (exponent < -5 || exponent >= maxExponent) {
    out[n++] = mantissa[0];
    if (m > 1) {
      out[n++] = '.';
      put(mantissa + 1, m - 1);
    }
    n += static_cast<std::size_t>(std::snprintf(out + n, sizeof out - n, "E%c%02d",
                                                exponent < 0 ? '-' : '+', std::abs(exponent)));
    return std::string(out, n);
  }
  if (exponent < 0) {
    put("0.", 2);
    for (int i = 0; i < -exponent - 1; ++i) out[n++] = '0';
    put(mantissa, m);
    return std::string(out, n);
  }
  const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
  if (m <= intDigits) {
    put(mantissa, m);
    for (std::size_t i = m; i < intDigits; ++i) out[n++] = '0';
  } else {
    put(mantissa, intDigits);
    out[n++] = '.';
    put(mantissa + intDigits, m - intDigits);
  }
  return std::string(out, n);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A decimal of at most 15 digits and no exponent: its digits as a whole number and the power of
// ten of its decimals are both exact doubles, so their quotient is the correctly rounded value,
// the same that strtod gives, at a fraction of the cost.
std::optional<double> shortDecimal(std::string_view t) {
  std::size_t i = 0;
  const bool negative = !t.empty() && t[0] == '-';
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) ++i;
  std::uint64_t whole = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      if (++digits > 15) return std::nullopt;
      whole = whole * 10 + static_cast<std::uint64_t>(c - '0');
      decimals += point ? 1 : 0;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  const double v = static_cast<double>(whole) / kPow10[decimals];
  return negative ? -v : v;
}

// A plain decimal ([sign] digits [. digits] [e [sign] digits]) as strtod reads it, without
// strtod's cost for the common case; anything from_chars declines goes to strtod itself.
double parseDecimal(std::string_view text) {
  if (auto v = shortDecimal(text)) return *v;
  std::string_view t = text;
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  const bool signTwice = t.size() < text.size() && !t.empty() && t.front() == '-';
  double v = 0;
  if (!signTwice && host::readDouble(t, v)) return v;
  return std::strtod(std::string(text).c_str(), nullptr);
}

double parseChecked(std::string_view text) {
  double v = parseDecimal(text);
  if (!std::isfinite(v)) throw Failure(FailureKind::Overflow, "溢出: " + std::string(text));
  return v;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Matches sign? digits [. digits] [e sign? digits] over the whole text; counts the digits.
struct Plain {
  bool ok = false;
  bool leadingZero = false;  // "0501": a zero before another integer digit
  int significant = 0;
};
Plain matchPlain(std::string_view s) {
  Plain p;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::string digits;
  std::size_t intStart = i;
  while (i < s.size() && isDigit(s[i])) digits += s[i++];
  std::size_t intDigits = i - intStart;
  if (intDigits > 1 && s[intStart] == '0') p.leadingZero = true;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && isDigit(s[i])) digits += s[i++];
  }
  if (digits.empty()) return p;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expStart = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    if (i == expStart) return p;
  }
  if (i != s.size()) return p;
  std::size_t first = digits.find_first_not_of('0');
  if (first != std::string::npos) {
    std::size_t last = digits.find_last_not_of('0');
    p.significant = static_cast<int>(last - first + 1);
  }
  p.ok = true;
  return p;
}

}  // namespace

std::string doubleText(double x) { return formatNumber(x, 15, 15); }
std::string singleText(float x) { return formatNumber(x, 7, 7); }

double singleToDouble(float x) {
  if (!std::isfinite(x)) return x;
  // Whole singles below 10^7 print exactly; the rest go through their seven digits.
  if (std::abs(x) < 1e7f && x == std::trunc(x)) return x;
  char buf[host::kFloatCharsRoom];
  char* end = host::scientificChars(buf, static_cast<double>(x), 6);
  double v = 0;
  if (!host::readDouble(std::string_view(buf, static_cast<std::size_t>(end - buf)), v))
    return std::strtod(std::string(buf, end).c_str(), nullptr);
  return v;
}

double leadingNumber(std::string_view s) {
  // Blanks are skipped wherever they stand, so gather the characters that can form the number.
  std::string number;
  bool digits = false, point = false, exponent = false, expDigits = false;
  for (char c : s) {
    if (isBlank(c)) continue;
    if (isDigit(c)) {
      number += c;
      (exponent ? expDigits : digits) = true;
    } else if ((c == '+' || c == '-') && (number.empty() || (exponent && (number.back() == 'e')))) {
      number += c;
    } else if (c == '.' && !point && !exponent) {
      number += c;
      point = true;
    } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && digits && !exponent) {
      number += 'e';
      exponent = true;
    } else {
      break;
    }
  }
  if (!digits) return 0;
  // A dangling exponent ("1e", "1e+") is ignored.
  if (exponent && !expDigits) number.erase(number.find('e'));
  return parseChecked(number);
}

std::optional<double> typedNumber(std::string_view s) {
  std::string_view t = trimmed(s);
  Plain p = matchPlain(t);
  if (!p.ok || p.leadingZero || p.significant > 15) return std::nullopt;
  double v = parseDecimal(t);
  if (!std::isfinite(v)) return std::nullopt;
  return v == 0 ? 0.0 : v;
}

std::optional<double> wholeTextNumber(std::string_view s) {
  std::string_view t = trimmed(s);
  if (!matchPlain(t).ok) return std::nullopt;
  return parseChecked(t);
}

std::string halfWidthNumberText(std::string_view s) {
  std::string t = trimSpaces(s);
  if (std::none_of(t.begin(), t.end(),
                   [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
    return t;
  std::string out;
  for (std::size_t i = 0; i < t.size();) {
    const utf8::Char ch = utf8::decode(t, i);
    const char32_t cp = ch.cp;
    const bool narrow = ch.wellFormed && ((cp >= 0xFF10 && cp <= 0xFF19) || cp == 0xFF0E ||
                                          cp == 0xFF0B || cp == 0xFF0D);
    if (narrow)
      out += static_cast<char>(cp - 0xFEE0);
    else
      out.append(t, i, ch.size);
    i += ch.size;
  }
  return out;
}

}  // namespace valdrex
