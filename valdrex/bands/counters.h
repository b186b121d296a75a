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

// Counts class classNo's students whose score in the subject lies in the band label, or gives the
// highest ("最高分") or lowest ("最低分") score; -1 for a label that is no band. The label is
// trimmed in place.
Variant countScoreBand(const GradeBook& g, int16_t& subject, int16_t& classNo, std::string& label);

// Counts class classNo's students whose grade rank in the subject lies in the band label; -1 for
// a label that is no band. The label is trimmed in place.
Variant countRankBand(const GradeBook& g, int16_t& subject, int16_t& classNo, std::string& label);

}  // namespace valdrex
