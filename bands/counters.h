// Band labels of a header row counted for one class and subject: scores and grade-wide ranks.
#pragma once

#include <cstdint>
#include <string>

#include "gradebook/grade_book.h"
#include "host/variant.h"

namespace valdrex {

// Counts class b's students whose score in subject k lies in the band s, or gives the highest
// ("最高分") or lowest ("最低分") score; -1 for a label that is no band. s is trimmed in place.
Variant 计数器(const GradeBook& g, int16_t& k, int16_t& b, std::string& s);

// Counts class b's students whose grade rank in subject k lies in the band s; -1 for a label
// that is no band. s is trimmed in place.
Variant 计数器2(const GradeBook& g, int16_t& k, int16_t& b, std::string& s);

}  // namespace valdrex
