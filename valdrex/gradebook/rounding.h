// Rounding to one or two decimals: the value times 10 or 100 is rounded to a whole 32-bit number
// (halves to even) and scaled back. That whole number is the rounding's working value; the
// automation interface shows the last one as its property t, so a trace can follow them.
#pragma once

#include <cstdint>

#include "valdrex/host/arithmetic.h"

namespace valdrex {

struct Rounded {
  int32_t working = 0;  // the whole number the scaled value was rounded to
  double value = 0;     // working scaled back
};

// A value already multiplied by 100, rounded to whole hundredths.
inline Rounded hundredths(double timesHundred) {
  const int32_t working = toLong(timesHundred);
  return {working, working / 100.0};
}

// A value already multiplied by 10, rounded to whole tenths.
inline Rounded tenths(double timesTen) {
  const int32_t working = toLong(timesTen);
  return {working, working / 10.0};
}

// Follows the roundings of a load or a report into the number it was made with; a default one
// follows nothing. Only the automation interface follows them, for its property t.
class RoundingTrace {
 public:
  RoundingTrace() = default;
  explicit RoundingTrace(int32_t& last) : last_(&last) {}

  // r's value; its working value becomes the last one followed.
  double keep(const Rounded& r) const {
    if (last_) *last_ = r.working;
    return r.value;
  }

 private:
  int32_t* last_ = nullptr;
};

}  // namespace valdrex
