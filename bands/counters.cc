#include "bands/counters.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "host/arithmetic.h"
#include "host/number_text.h"
#include "host/text.h"

namespace valdrex {

namespace {

const Variant kNoBand = Variant::integer(-1);

// Scores stand on a scale far below this; it closes every band that is open upwards.
constexpr double kOpenTop = 2000;

// Students of class b whose score in subject k satisfies the test.
template <class Test>
int16_t countScores(const GradeBook& g, int16_t k, int16_t b, Test test) {
  int16_t n = 0;
  for (int i = 1; i <= g.classSizes(b); ++i)
    if (test(g.scores(b, i, k))) n = addInteger(n, 1);
  return n;
}

template <class Test>
int16_t countRanks(const GradeBook& g, int16_t k, int16_t b, Test test) {
  int16_t n = 0;
  for (int i = 1; i <= g.classSizes(b); ++i)
    if (test(static_cast<double>(g.schoolRanks(b, i, k)))) n = addInteger(n, 1);
  return n;
}

// The numbers before and after the dash at character p, the smaller first: a band means the same
// whichever end a teacher writes first.
std::pair<double, double> numbersAroundDash(const std::string& s, std::size_t p, std::size_t len) {
  const double before = leadingNumber(leftChars(s, p - 1));
  const double after = leadingNumber(rightChars(s, len - p));
  return {std::min(before, after), std::max(before, after)};
}

}  // namespace

Variant 计数器(const GradeBook& g, int16_t& k, int16_t& b, std::string& s) {
  s = trimBlanks(s);
  const bool highest = s == "最高分";
  const bool lowest = s == "最低分";
  if (!((!s.empty() && leadingNumber(s) != 0) || highest || lowest)) return kNoBand;

  if (highest) {
    float best = 0;
    for (int i = 1; i <= g.classSizes(b); ++i)
      if (g.scores(b, i, k) > best) best = g.scores(b, i, k);
    return Variant::single(best);
  }
  if (lowest) {
    // Absent scores are negative and never count as the lowest. 200 says nobody sat; it is no
    // ceiling, or a total of 300 to 740 points would show a lowest score of 200.
    bool any = false;
    float low = 200;
    for (int i = 1; i <= g.classSizes(b); ++i) {
      float v = g.scores(b, i, k);
      if (v >= 0 && (!any || v < low)) {
        low = v;
        any = true;
      }
    }
    return Variant::single(low);
  }

  double lower = 0, upper = 0;
  const std::size_t len = charCount(s);
  const std::string tail = rightChars(s, 2);
  if (tail == "以下") {
    lower = 0;
    upper = leadingNumber(s);
  }
  if (tail == "以上") {
    lower = leadingNumber(s);
    upper = kOpenTop;
  }
  if (upper == 0) {
    const std::size_t p = findFirstOf(s, {"-", "—"});
    if (p == 0) {
      const float exact = toSingle(leadingNumber(s));
      return Variant::integer(countScores(g, k, b, [&](float v) { return v == exact; }));
    }
    if (p == len) {
      lower = 0;
      upper = leadingNumber(leftChars(s, p - 1));
    } else if (p == 1) {
      lower = leadingNumber(rightChars(s, len - 1));
      upper = kOpenTop;
    } else {
      // «90-80» is 80 up to below 90; a teacher's «70-85» means 70 up to below 85.
      std::tie(lower, upper) = numbersAroundDash(s, p, len);
    }
  }
  const float lo = toSingle(lower), hi = toSingle(upper);
  return Variant::integer(countScores(g, k, b, [&](float v) { return lo <= v && v < hi; }));
}

Variant 计数器2(const GradeBook& g, int16_t& k, int16_t& b, std::string& s) {
  s = trimBlanks(s);
  if ((s.empty() || leadingNumber(s) == 0) && leftChars(s, 1) != "前") return kNoBand;

  double lower = 0, upper = 0;
  const std::size_t len = charCount(s);
  const std::size_t p = findFirstOf(s, {"—", "-", "前"});
  if (p == 0) {
    const double exact = leadingNumber(s);
    return Variant::integer(countRanks(g, k, b, [&](double r) { return r == exact; }));
  }
  if (p == 1) {
    // «前50名» and «-50»: the best 50.
    lower = 1;
    upper = leadingNumber(rightChars(s, len - 1));
  } else if (p == len) {
    lower = leadingNumber(leftChars(s, p - 1));
    upper = kOpenTop;
  } else {
    // «51-100», and the same band when written the other way round.
    std::tie(lower, upper) = numbersAroundDash(s, p, len);
  }
  return Variant::integer(countRanks(g, k, b, [&](double r) { return lower <= r && r <= upper; }));
}

}  // namespace valdrex
