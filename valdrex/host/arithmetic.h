// Rounding and checked whole-number arithmetic shared by every computation.
#pragma once

#include <cstdint>

#include "valdrex/export.h"

namespace valdrex {

// The largest 16-bit whole number, the host language's Integer.
inline constexpr int kMaxInteger = 32767;

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
VALDREX_API double roundHalfEven(double x);

// Round half to even, then check the range; outside it is a Failure (Overflow), never a wrap.
VALDREX_API int16_t toInteger(double x);
VALDREX_API int32_t toLong(double x);
// Narrow to single precision; a finite value beyond the single range is an Overflow.
VALDREX_API float toSingle(double x);

// 16-bit arithmetic with the range check of the host language.
inline int16_t addInteger(int16_t a, int16_t b) {
  // Counting up by one is the common case; only a sum out of range needs the checked path.
  const int sum = a + b;
  if (sum >= -32768 && sum <= 32767) [[likely]]
    return static_cast<int16_t>(sum);
  return toInteger(double(a) + double(b));
}
VALDREX_API int16_t mulInteger(int16_t a, int16_t b);

}  // namespace valdrex
