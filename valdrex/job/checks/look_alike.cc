#include "valdrex/job/checks/look_alike.h"

#include <vector>

namespace valdrex {

namespace {

std::vector<char32_t> codePoints(std::string_view s) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t len = c < 0x80           ? 1
                            : (c >> 5) == 0x6  ? 2
                            : (c >> 4) == 0xE  ? 3
                            : (c >> 3) == 0x1E ? 4
                                               : 1;
    char32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (std::size_t k = 1; k < len && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += len;
  }
  return out;
}

void append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool isSpace(char32_t cp) {
  return cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == 0xA0 || cp == 0x3000;
}

// Full-width forms of the printable ASCII characters, made half-width.
char32_t halfWidth(char32_t cp) { return cp >= 0xFF01 && cp <= 0xFF5E ? cp - 0xFEE0 : cp; }

bool isDigit(char32_t cp) { return cp >= '0' && cp <= '9'; }

bool isDashLike(char32_t cp) {
  switch (cp) {
    case '-':
    case '~':
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014:
    case 0x2015:
    case 0x2212:
    case 0x301C:
    case 0xFE58:
    case 0xFE63:
    case 0xFF0D:
    case 0xFF5E:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string classNameKey(std::string_view name) {
  std::string key;
  for (char32_t cp : codePoints(name)) {
    if (isSpace(cp)) continue;
    cp = halfWidth(cp);
    if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
    append(key, cp);
  }
  return key;
}

std::string plainBandLabel(std::string_view label) {
  std::vector<char32_t> cps = codePoints(label);
  for (char32_t& cp : cps) {
    if (cp == 0x3000) cp = ' ';
    if ((cp >= 0xFF10 && cp <= 0xFF19) || cp == 0xFF0E) cp = halfWidth(cp);
  }
  std::string out;
  bool afterDash = false;
  for (std::size_t i = 0; i < cps.size(); ++i) {
    char32_t cp = cps[i];
    // «一» is a dash only between two numbers: «120一135».
    const bool betweenDigits =
        i > 0 && i + 1 < cps.size() && isDigit(cps[i - 1]) && isDigit(cps[i + 1]);
    if (isDashLike(cp) || (cp == U'一' && betweenDigits)) {
      if (!afterDash) out += '-';
      afterDash = true;
      continue;
    }
    afterDash = false;
    append(out, cp);
  }
  return out;
}

}  // namespace valdrex
