#include "valdrex/gradebook/class_names.h"

#include "valdrex/host/utf8.h"

namespace valdrex {

namespace {

bool isSpace(char32_t cp) {
  return cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == 0xA0 || cp == 0x3000;
}

}  // namespace

std::string classNameKey(std::string_view name) {
  std::string key;
  for (std::size_t i = 0; i < name.size();) {
    const utf8::Char ch = utf8::decode(name, i);
    // Ill-formed bytes stay as they are: names that differ only there stay different.
    if (!ch.wellFormed) {
      key.append(name, i, ch.size);
    } else if (!isSpace(ch.cp)) {
      char32_t cp = ch.cp >= 0xFF01 && ch.cp <= 0xFF5E ? ch.cp - 0xFEE0 : ch.cp;
      if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
      utf8::append(key, cp);
    }
    i += ch.size;
  }
  return key;
}

ClassRowPairing pairClassRows(const std::vector<std::string>& classes,
                              const std::vector<std::string>& rowNames) {
  ClassRowPairing p{std::vector<int>(classes.size(), -1), std::vector<bool>(classes.size(), false)};
  std::vector<bool> taken(rowNames.size(), false);
  auto take = [&](std::size_t c, auto same) {
    for (std::size_t i = 0; i < rowNames.size(); ++i)
      if (!taken[i] && same(rowNames[i])) {
        taken[i] = true;
        p.rowOf[c] = static_cast<int>(i);
        return;
      }
  };
  for (std::size_t c = 0; c < classes.size(); ++c)
    take(c, [&](const std::string& n) { return n == classes[c]; });
  for (std::size_t c = 0; c < classes.size(); ++c) {
    if (p.rowOf[c] >= 0) continue;
    const std::string key = classNameKey(classes[c]);
    take(c, [&](const std::string& n) { return classNameKey(n) == key; });
  }
  for (std::size_t c = 0; c < classes.size(); ++c) {
    if (p.rowOf[c] >= 0) continue;
    take(c, [](const std::string&) { return true; });
    p.byPosition[c] = p.rowOf[c] >= 0;
  }
  return p;
}

}  // namespace valdrex
