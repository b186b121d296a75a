#include "valdrex/host/arithmetic.h"

#include <cfloat>
#include <cmath>
#include <string>

#include "valdrex/host/failure.h"

namespace valdrex {

namespace {
[[noreturn]] void overflow(double x) {
  throw Failure(FailureKind::Overflow, "溢出: " + std::to_string(x));
}
}  // namespace

double roundHalfEven(double x) { return std::nearbyint(x); }

int16_t toInteger(double x) {
  double r = roundHalfEven(x);
  if (!(r >= -32768.0 && r <= 32767.0)) overflow(x);
  return static_cast<int16_t>(r);
}

int32_t toLong(double x) {
  double r = roundHalfEven(x);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) overflow(x);
  return static_cast<int32_t>(r);
}

float toSingle(double x) {
  if (std::isnan(x) || (std::isfinite(x) && std::fabs(x) > FLT_MAX)) overflow(x);
  return static_cast<float>(x);
}

int16_t mulInteger(int16_t a, int16_t b) { return toInteger(double(a) * double(b)); }

}  // namespace valdrex
