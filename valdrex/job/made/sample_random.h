// A seeded random source that gives the same sample workbook on every machine: the engine's
// sequence is fixed by the standard, and the draws are made here rather than by the library's
// distributions, whose results differ between implementations.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>

namespace valdrex {

class SampleRandom {
 public:
  explicit SampleRandom(uint32_t seed) : engine_(seed) {}

  // 0 .. n-1
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(engine_() % n); }
  // [0, 1)
  double unit() { return engine_() / 4294967296.0; }
  // Standard normal (Box-Muller).
  double normal() {
    double u = 1.0 - unit();  // (0, 1], so the logarithm is finite
    double v = unit();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }

 private:
  std::mt19937 engine_;
};

}  // namespace valdrex
