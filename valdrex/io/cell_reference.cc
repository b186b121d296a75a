#include "valdrex/io/cell_reference.h"

#include <algorithm>

namespace valdrex::io {

std::optional<CellPosition> parseCell(std::string_view text) {
  std::size_t i = 0;
  long col = 0;
  while (i < text.size() && i < 4) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') break;
    col = col * 26 + (c - 'A' + 1);
    ++i;
  }
  if (i == 0 || col > host::kMaxColumns) return std::nullopt;
  std::size_t digits = i;
  long row = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 8) {
    row = row * 10 + (text[i] - '0');
    ++i;
  }
  if (i == digits || i != text.size() || text[digits] == '0' || row > host::kMaxRows)
    return std::nullopt;
  return CellPosition{static_cast<int>(row), static_cast<int>(col)};
}

std::optional<host::Range> parseRange(std::string_view text) {
  std::size_t colon = text.find(':');
  auto first = parseCell(text.substr(0, colon));
  if (!first) return std::nullopt;
  auto second = colon == std::string_view::npos ? first : parseCell(text.substr(colon + 1));
  if (!second) return std::nullopt;
  return host::Range{std::min(first->row, second->row), std::min(first->col, second->col),
                     std::max(first->row, second->row), std::max(first->col, second->col)};
}

}  // namespace valdrex::io
