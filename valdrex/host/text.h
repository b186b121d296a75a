// Character-level text operations. Texts are UTF-8; every count is in characters, never bytes,
// and characters are as valdrex/host/utf8.h reads them.
#pragma once

#include <string>
#include <string_view>

namespace valdrex {

std::size_t charCount(std::string_view s);
std::string leftChars(std::string_view s, std::size_t n);
std::string rightChars(std::string_view s, std::size_t n);
// The n characters starting at the 1-based character position start.
std::string midChars(std::string_view s, std::size_t start, std::size_t n);
// 1-based position of the first character that is one of the given characters, 0 when none.
std::size_t findFirstOf(std::string_view s, std::initializer_list<std::string_view> chars);
// Blanks (spaces) removed at both ends, as the host language trims.
std::string trimBlanks(std::string_view s);
// Code unit order as UTF-16 would compare: <0, 0, >0.
int compareText(std::string_view a, std::string_view b);
// The order a spreadsheet sort uses for texts: case ignored.
int compareTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace valdrex
