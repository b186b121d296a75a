// Band labels of a header row counted for one class and subject: scores and grade-wide ranks.
#pragma once

#include <cstdint>
#include <string>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/variant.h"

namespace valdrex {

// What a band label stands for, as the counters read it: scores lower <= v < upper, ranks
// lower <= r <= upper, or exactly `lower`. A band open upwards ends at kOpenBandTop.
struct Band {
  enum class Kind { None, Highest, Lowest, Exact, Range } kind = Kind::None;
  double lower = 0, upper = 0;
  friend bool operator==(const Band&, const Band&) = default;
};
inline constexpr double kOpenBandTop = 2000;  // far above any score, rank or total

// The band of a trimmed label of the score bands ("85以上", "70-85", "最高分", "100").
Band scoreBand(const std::string& s);
// The band of a trimmed label of the rank bands ("前50名", "51-100", "11-", "10").
Band rankBand(const std::string& s);

// Counts class b's students whose score in subject k lies in the band s, or gives the highest
// ("最高分") or lowest ("最低分") score; -1 for a label that is no band. s is trimmed in place.
Variant 计数器(const GradeBook& g, int16_t& k, int16_t& b, std::string& s);

// Counts class b's students whose grade rank in subject k lies in the band s; -1 for a label
// that is no band. s is trimmed in place.
Variant 计数器2(const GradeBook& g, int16_t& k, int16_t& b, std::string& s);

}  // namespace valdrex
