#include "valdrex/bands/counters.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "valdrex/host/arithmetic.h"
#include "valdrex/host/number_text.h"
#include "valdrex/host/text.h"

namespace valdrex {

namespace {

const Variant kNoBand = Variant::integer(-1);

// Students of class classNo whose score in the subject satisfies the test.
template <class Test>
int16_t countScores(const GradeBook& g, int16_t subject, int16_t classNo, Test test) {
  int16_t n = 0;
  for (int i = 1; i <= g.classSizes(classNo); ++i)
    if (test(g.scores(classNo, i, subject))) n = addInteger(n, 1);
  return n;
}

template <class Test>
int16_t countRanks(const GradeBook& g, int16_t subject, int16_t classNo, Test test) {
  int16_t n = 0;
  for (int i = 1; i <= g.classSizes(classNo); ++i) {
    // Rank 0 is no rank: the student has no score there and falls in no band, not even «50-0».
    const int16_t rank = g.schoolRanks(classNo, i, subject);
    if (rank > 0 && test(static_cast<double>(rank))) n = addInteger(n, 1);
  }
  return n;
}

// The numbers before and after the dash at character p, the smaller first: a band means the same
// whichever end a teacher writes first.
std::pair<double, double> numbersAroundDash(const std::string& s, std::size_t p, std::size_t len) {
  const double before = leadingNumber(leftChars(s, p - 1));
  const double after = leadingNumber(rightChars(s, len - p));
  return {std::min(before, after), std::max(before, after)};
}

Band range(double lower, double upper) { return {Band::Kind::Range, lower, upper}; }

}  // namespace

Band scoreBand(const std::string& s) {
  const bool highest = s == "最高分";
  const bool lowest = s == "最低分";
  if (highest) return {Band::Kind::Highest};
  if (lowest) return {Band::Kind::Lowest};
  if (s.empty() || leadingNumber(s) == 0) return {};

  const std::size_t len = charCount(s);
  const std::string tail = rightChars(s, 2);
  if (tail == "以上") return range(leadingNumber(s), kOpenBandTop);
  if (tail == "以下") return range(0, leadingNumber(s));
  const std::size_t p = findFirstOf(s, {"-", "—"});
  if (p == 0) return {Band::Kind::Exact, leadingNumber(s)};
  if (p == len) return range(0, leadingNumber(leftChars(s, p - 1)));
  if (p == 1) return range(leadingNumber(rightChars(s, len - 1)), kOpenBandTop);
  // «90-80» is 80 up to below 90; a teacher's «70-85» means 70 up to below 85.
  const auto [lower, upper] = numbersAroundDash(s, p, len);
  return range(lower, upper);
}

Band rankBand(const std::string& s) {
  if ((s.empty() || leadingNumber(s) == 0) && leftChars(s, 1) != "前") return {};
  const std::size_t len = charCount(s);
  const std::size_t p = findFirstOf(s, {"—", "-", "前"});
  if (p == 0) return {Band::Kind::Exact, leadingNumber(s)};
  // «前50名» and «-50»: the best 50.
  if (p == 1) return range(1, leadingNumber(rightChars(s, len - 1)));
  if (p == len) return range(leadingNumber(leftChars(s, p - 1)), kOpenBandTop);
  // «51-100», and the same band when written the other way round.
  const auto [lower, upper] = numbersAroundDash(s, p, len);
  return range(lower, upper);
}

Variant countScoreBand(const GradeBook& g, int16_t& subject, int16_t& classNo, std::string& label) {
  label = trimBlanks(label);
  const Band band = scoreBand(label);
  switch (band.kind) {
    case Band::Kind::None:
      return kNoBand;
    case Band::Kind::Highest: {
      float best = 0;
      for (int i = 1; i <= g.classSizes(classNo); ++i)
        if (g.scores(classNo, i, subject) > best) best = g.scores(classNo, i, subject);
      return Variant::single(best);
    }
    case Band::Kind::Lowest: {
      // Absent scores are negative and never count as the lowest. 200 says nobody sat; it is no
      // ceiling, or a total of 300 to 740 points would show a lowest score of 200.
      bool any = false;
      float low = 200;
      for (int i = 1; i <= g.classSizes(classNo); ++i) {
        float v = g.scores(classNo, i, subject);
        if (v >= 0 && (!any || v < low)) {
          low = v;
          any = true;
        }
      }
      return Variant::single(low);
    }
    case Band::Kind::Exact: {
      const float exact = toSingle(band.lower);
      return Variant::integer(
          countScores(g, subject, classNo, [&](float v) { return v == exact; }));
    }
    case Band::Kind::Range:
      break;
  }
  const float lo = toSingle(band.lower), hi = toSingle(band.upper);
  return Variant::integer(
      countScores(g, subject, classNo, [&](float v) { return lo <= v && v < hi; }));
}

Variant countRankBand(const GradeBook& g, int16_t& subject, int16_t& classNo, std::string& label) {
  label = trimBlanks(label);
  const Band band = rankBand(label);
  if (band.kind == Band::Kind::None) return kNoBand;
  if (band.kind == Band::Kind::Exact)
    return Variant::integer(
        countRanks(g, subject, classNo, [&](double r) { return r == band.lower; }));
  return Variant::integer(countRanks(g, subject, classNo,
                                     [&](double r) { return band.lower <= r && r <= band.upper; }));
}

}  // namespace valdrex
