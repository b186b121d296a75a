#include "valdrex/host/float_chars.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace valdrex::host {

namespace portable {

namespace {

char* put(char* at, std::string_view s) {
  std::memcpy(at, s.data(), s.size());
  return at + s.size();
}

char* nonFinite(char* at, double x) {
  if (std::signbit(x)) *at++ = '-';
  return put(at, std::isnan(x) ? "nan" : "inf");
}

bool sameLetters(std::string_view s, std::string_view lower) {
  if (s.size() != lower.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if ((s[i] | 0x20) != lower[i]) return false;
  return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// inf, infinity, nan or nan(letters, digits and _), in any case, as from_chars takes them.
bool specialValue(std::string_view s, bool negative, double& value) {
  const double sign = negative ? -1.0 : 1.0;
  if (sameLetters(s, "inf") || sameLetters(s, "infinity")) {
    value = sign * HUGE_VAL;
    return true;
  }
  if (s.size() < 3 || !sameLetters(s.substr(0, 3), "nan")) return false;
  std::string_view rest = s.substr(3);
  if (!rest.empty()) {
    if (rest.front() != '(' || rest.back() != ')') return false;
    for (char c : rest.substr(1, rest.size() - 2))
      if (!isDigit(c) && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && c != '_') return false;
  }
  value = std::copysign(std::nan(""), sign);
  return true;
}

}  // namespace

char* scientificChars(char* at, double x, int precision) {
  if (!std::isfinite(x)) return nonFinite(at, x);
  const int n = std::snprintf(at, kFloatCharsRoom, "%.*e", precision, x);
  return at + n;
}

char* shortestChars(char* at, double x) {
  if (!std::isfinite(x)) return nonFinite(at, x);
  if (x == 0) return put(at, std::signbit(x) ? "-0" : "0");
  // The fewest significant digits that read back as x.
  char sci[kFloatCharsRoom];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(sci, sizeof sci, "%.*e", digits - 1, x);
    if (std::strtod(sci, nullptr) == x) break;
  }
  const bool negative = sci[0] == '-';
  const char* e = std::strchr(sci, 'e');
  std::string mantissa;
  for (const char* p = sci + (negative ? 1 : 0); p < e; ++p)
    if (*p != '.') mantissa += *p;
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  const int exponent = std::atoi(e + 1);
  const int count = static_cast<int>(mantissa.size());

  std::string exp = std::to_string(std::abs(exponent));
  if (exp.size() < 2) exp.insert(0, "0");
  std::string scientific = mantissa.substr(0, 1);
  if (count > 1) scientific += "." + mantissa.substr(1);
  scientific += (exponent < 0 ? "e-" : "e+") + exp;

  std::string fixed;
  if (exponent < 0) {
    fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
  } else if (count <= exponent + 1) {
    // A whole number: beyond 2^53 its digits are the exact value's, as the standard form writes.
    if (std::abs(x) >= 9007199254740992.0) {
      char whole[400];
      std::snprintf(whole, sizeof whole, "%.0f", std::abs(x));
      fixed = whole;
    } else {
      fixed = mantissa + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
    }
  } else {
    fixed = mantissa.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
            mantissa.substr(static_cast<std::size_t>(exponent + 1));
  }
  if (negative) *at++ = '-';
  return put(at, fixed.size() <= scientific.size() ? fixed : scientific);
}

bool readDouble(std::string_view s, double& value) {
  const bool negative = !s.empty() && s.front() == '-';
  const std::string_view body = s.substr(negative ? 1 : 0);
  if (body.empty()) return false;
  if (!isDigit(body.front()) && body.front() != '.') return specialValue(body, negative, value);
  // [digits] [. digits] with a digit somewhere, then [e [sign] digits].
  std::size_t i = 0, digits = 0;
  while (i < body.size() && isDigit(body[i])) ++i, ++digits;
  if (i < body.size() && body[i] == '.')
    for (++i; i < body.size() && isDigit(body[i]); ++i) ++digits;
  if (digits == 0) return false;
  if (i < body.size() && (body[i] | 0x20) == 'e') {
    std::size_t j = i + 1;
    if (j < body.size() && (body[j] == '+' || body[j] == '-')) ++j;
    const std::size_t first = j;
    while (j < body.size() && isDigit(body[j])) ++j;
    if (j > first) i = j;
  }
  if (i != body.size()) return false;
  const std::string text(s);
  errno = 0;
  const double v = std::strtod(text.c_str(), nullptr);
  if (errno == ERANGE && (v == 0 || std::isinf(v))) return false;
  value = v;
  return true;
}

}  // namespace portable

#if defined(__cpp_lib_to_chars)

char* shortestChars(char* at, double x) { return std::to_chars(at, at + kFloatCharsRoom, x).ptr; }

char* scientificChars(char* at, double x, int precision) {
  return std::to_chars(at, at + kFloatCharsRoom, x, std::chars_format::scientific, precision).ptr;
}

bool readDouble(std::string_view s, double& value) {
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return false;
  value = v;
  return true;
}

#else

char* shortestChars(char* at, double x) { return portable::shortestChars(at, x); }
char* scientificChars(char* at, double x, int precision) {
  return portable::scientificChars(at, x, precision);
}
bool readDouble(std::string_view s, double& value) { return portable::readDouble(s, value); }

#endif

}  // namespace valdrex::host
