#include "valdrex/job/checks/look_alike.h"

#include <vector>

#include "valdrex/host/utf8.h"

namespace valdrex {

namespace {

// A character, or the bytes of an ill-formed subpart kept as they are (read as U+FFFD): names that
// differ only there stay different.
struct Piece {
  char32_t cp;
  std::string_view broken;
};

std::vector<Piece> pieces(std::string_view s) {
  std::vector<Piece> out;
  for (std::size_t i = 0; i < s.size();) {
    const utf8::Char ch = utf8::decode(s, i);
    out.push_back({ch.cp, ch.wellFormed ? std::string_view() : s.substr(i, ch.size)});
    i += ch.size;
  }
  return out;
}

void append(std::string& out, const Piece& p) {
  if (p.broken.empty())
    utf8::append(out, p.cp);
  else
    out += p.broken;
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

std::string plainBandLabel(std::string_view label) {
  std::vector<Piece> ps = pieces(label);
  for (Piece& p : ps) {
    if (p.cp == 0x3000) p.cp = ' ';
    if ((p.cp >= 0xFF10 && p.cp <= 0xFF19) || p.cp == 0xFF0E) p.cp = halfWidth(p.cp);
  }
  std::string out;
  bool afterDash = false;
  for (std::size_t i = 0; i < ps.size(); ++i) {
    const char32_t cp = ps[i].cp;
    // «一» is a dash only between two numbers: «120一135».
    const bool betweenDigits =
        i > 0 && i + 1 < ps.size() && isDigit(ps[i - 1].cp) && isDigit(ps[i + 1].cp);
    if (isDashLike(cp) || (cp == U'一' && betweenDigits)) {
      if (!afterDash) out += '-';
      afterDash = true;
      continue;
    }
    afterDash = false;
    append(out, ps[i]);
  }
  return out;
}

}  // namespace valdrex
