// Number formats: the built-in ones a file names by number, and which formats show a date.
#pragma once

#include <string>
#include <string_view>

namespace valdrex::io {

// Days between the 1904 and the 1900 date systems' day zero: a file in the 1904 system stores
// every date this much lower.
inline constexpr double k1904Offset = 1462;

// The format code of a built-in format id ("0.00" for 2); "" for General and for ids that have
// no fixed code.
std::string builtinFormatCode(int id);
// Built-in ids that show a date or time: 14-22, 45-47, and the East Asian date ids 27-36, 50-58
// that Chinese Excel writes without a code.
bool isBuiltinDateFormat(int id);
// A format code shows a date or time when it has a date or time token (y m d h s) outside quoted
// text, escaped characters and [bracketed] parts ([h] [mm] [ss] elapsed time counts as time).
bool isDateFormatCode(std::string_view code);

}  // namespace valdrex::io
