// Doubles to and from text exactly as std::to_chars and std::from_chars give them, also where the
// standard library has no floating-point forms of them (the WebAssembly build): there the same
// text is made with printf and strtod, which round correctly too.
#pragma once

#include <string_view>

namespace valdrex::host {

// Room enough for any text below.
inline constexpr int kFloatCharsRoom = 40;

// The shortest text that reads back as x, fixed or exponent form, whichever is shorter (fixed on a
// tie): 0.1, 100000, 1e+16, 1.5e-07. `at` has kFloatCharsRoom chars; returns the end.
char* shortestChars(char* at, double x);

// printf's "%.*e": `precision` digits after the point (at most 17).
char* scientificChars(char* at, double x, int precision);

// The whole of s as a decimal the way from_chars reads it ([-] digits [. digits] [e [sign]
// digits], inf or nan); false for anything else, for a sign "+" and for a value out of range.
bool readDouble(std::string_view s, double& value);

// The same made with printf and strtod, whatever the standard library has: tests hold them to
// the standard forms.
namespace portable {
char* shortestChars(char* at, double x);
char* scientificChars(char* at, double x, int precision);
bool readDouble(std::string_view s, double& value);
}  // namespace portable

}  // namespace valdrex::host
