// Rounding and checked whole-number arithmetic shared by every computation.
#pragma once

#include <cstdint>

namespace valdrex {

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double x);

// Round half to even, then check the range; outside it is a Failure (Overflow), never a wrap.
int16_t toInteger(double x);
int32_t toLong(double x);
// Narrow to single precision; a finite value beyond the single range is an Overflow.
float toSingle(double x);

// 16-bit arithmetic with the range check of the host language.
int16_t addInteger(int16_t a, int16_t b);
int16_t mulInteger(int16_t a, int16_t b);

}  // namespace valdrex
