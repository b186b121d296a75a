// Moving a formula to another cell, as filling it there would: relative references shift,
// absolute ($) parts stay. A file stores a formula filled down a column once ("shared formula");
// each cell of the fill gets its own moved copy.
#pragma once

#include <string>
#include <string_view>

namespace valdrex::io {

// The formula (without "=") as it reads dRow rows and dCol columns further on. A reference
// moved off the sheet becomes #REF!. Texts, quoted sheet names, function names and
// [structured] parts are left alone.
std::string shiftFormula(std::string_view formula, int dRow, int dCol);

}  // namespace valdrex::io
