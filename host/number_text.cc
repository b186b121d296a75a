#include "host/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/failure.h"

namespace valdrex {

namespace {

// Decimal text of x with at most `digits` significant digits; exponent form when the decimal
// exponent is below -5 or at least `maxExponent`.
std::string formatNumber(double x, int digits, int maxExponent) {
  if (x == 0 || !std::isfinite(x)) return x == 0 ? "0" : (std::isnan(x) ? "NaN" : (x > 0 ? "Inf" : "-Inf"));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, x);
  std::string s(buf);
  std::size_t e = s.find('e');
  int exponent = std::atoi(s.c_str() + e + 1);
  bool negative = s[0] == '-';
  std::string mantissa;  // the significant digits, trailing zeros dropped
  for (std::size_t i = negative ? 1 : 0; i < e; ++i)
    if (s[i] != '.') mantissa += s[i];
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent < -5 || exponent >= maxExponent) {
    out += mantissa.substr(0, 1);
    if (mantissa.size() > 1) out += "." + mantissa.substr(1);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return out + exp;
  }
  if (exponent < 0) return out + "0." + std::string(-exponent - 1, '0') + mantissa;
  std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
  if (mantissa.size() <= intDigits) return out + mantissa + std::string(intDigits - mantissa.size(), '0');
  return out + mantissa.substr(0, intDigits) + "." + mantissa.substr(intDigits);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

double parseChecked(const std::string& text) {
  double v = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(v)) throw Failure(FailureKind::Overflow, "溢出: " + text);
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
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6e", static_cast<double>(x));
  return std::strtod(buf, nullptr);
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
  double v = std::strtod(std::string(t).c_str(), nullptr);
  if (!std::isfinite(v)) return std::nullopt;
  return v == 0 ? 0.0 : v;
}

std::optional<double> wholeTextNumber(std::string_view s) {
  std::string_view t = trimmed(s);
  if (!matchPlain(t).ok) return std::nullopt;
  return parseChecked(std::string(t));
}

}  // namespace valdrex
