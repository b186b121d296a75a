// Numbers written as text and read back from text, the way the spreadsheet and its language do.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace valdrex {

// Shortest decimal form with at most 15 significant digits, no trailing zeros, no point when
// whole; exponent form ("1E+15", "1E-06") only outside 1e-5 <= |x| < 1e15.
std::string doubleText(double x);
// The same for a single: its shortest decimal form of at most 7 significant digits (87.2).
std::string singleText(float x);
// The double whose text is the single's shortest form: the single 87.2 becomes the double 87.2.
double singleToDouble(float x);

// The leading number of a text (the language's Val): blanks, tabs and line feeds are skipped
// wherever they stand before the number ends, "." is the point, an exponent is allowed, the first
// other character ends it, and a text without a leading number reads as 0.
double leadingNumber(std::string_view s);

// The number a typed text stands for when it is entirely a plain decimal number (blanks around it
// allowed). Empty when it is not, or when storing it as a number would lose what was written: a
// leading zero before another digit ("0501") or more than 15 significant digits.
std::optional<double> typedNumber(std::string_view s);

// A text that reads entirely as a number, for conversions that accept any numeric text.
std::optional<double> wholeTextNumber(std::string_view s);

// A number as typed with a Chinese input method, in the characters the readings above know:
// surrounding blanks (the full-width U+3000 too) trimmed, full-width digits, point and signs made
// half-width. "　９０．５ " gives "90.5", "９０分" gives "90分"; other characters stay.
std::string halfWidthNumberText(std::string_view s);

}  // namespace valdrex
