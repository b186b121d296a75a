// How a score cell is read: teachers write an absence as a word and type numbers with a Chinese
// input method, and both are read as they meant them.
#pragma once

#include <string>
#include <string_view>

namespace valdrex {

// 缺考, 缺, 缺席, 请假 or 免考, without surrounding spaces.
bool isAbsenceWord(std::string_view trimmed);

// The text a score is read from: empty for an absence (an empty cell, blanks only or an absence
// word), else the cell's text in half-width (halfWidthNumberText): "９０．５" gives "90.5".
std::string scoreText(std::string_view cellText);

}  // namespace valdrex
