#include "valdrex/host/argument_text.h"

namespace valdrex {

namespace {

constexpr std::string_view kFullWidthSpace = "\u3000";
constexpr std::string_view kSeparators[] = {",", "\uff0c", "\u3001"};

}  // namespace

std::string trimSpaces(std::string_view text) {
  auto space = [](std::string_view t, bool front) -> std::size_t {
    if (t.empty()) return 0;
    const char c = front ? t.front() : t.back();
    if (c == ' ' || c == '\t') return 1;
    const bool wide = front ? t.starts_with(kFullWidthSpace) : t.ends_with(kFullWidthSpace);
    return wide ? kFullWidthSpace.size() : 0;
  };
  while (std::size_t n = space(text, true)) text.remove_prefix(n);
  while (std::size_t n = space(text, false)) text.remove_suffix(n);
  return std::string(text);
}

std::vector<std::string> splitItems(std::string_view text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t width = 0;
    for (std::string_view sep : kSeparators)
      if (text.substr(i).starts_with(sep)) width = sep.size();
    if (width == 0) {
      ++i;
      continue;
    }
    items.push_back(trimSpaces(text.substr(start, i - start)));
    i += width;
    start = i;
  }
  items.push_back(trimSpaces(text.substr(start)));
  return items;
}

}  // namespace valdrex
