#include "valdrex/gradebook/class_statistics.h"

#include "valdrex/host/arithmetic.h"

namespace valdrex {

void countClassResults(GradeBook& g, host::Worksheet&) {
  int last = g.subjectCount + 1;
  for (int c = 1; c <= g.classCount; ++c)
    for (int j = 1; j <= last; ++j) {
      g.passCounts(c, j) = 0;
      g.excellentCounts(c, j) = 0;
      g.lowCounts(c, j) = 0;
      g.scoreSums(c, j) = 0;
    }

  for (int c = 1; c <= g.classCount; ++c)
    for (int s = 1; s <= g.classSizes(c); ++s)
      for (int j = 1; j <= last; ++j) {
        float v = g.scores(c, s, j);
        // An absent student neither lowers the sum nor counts as a low score.
        if (!(v >= 0)) continue;
        g.scoreSums(c, j) += v;
        if (v >= float(g.markLines(3, j))) g.passCounts(c, j) = addInteger(g.passCounts(c, j), 1);
        if (v >= float(g.markLines(2, j)))
          g.excellentCounts(c, j) = addInteger(g.excellentCounts(c, j), 1);
        if (v < float(g.markLines(4, j))) g.lowCounts(c, j) = addInteger(g.lowCounts(c, j), 1);
      }
}

void countTotalTakers(GradeBook& g) {
  const int total = g.subjectCount + 1;
  for (int c = 1; c <= g.classCount; ++c) {
    int16_t n = 0;
    for (int s = 1; s <= g.classSizes(c); ++s)
      if (g.scores(c, s, total) >= 0) n = addInteger(n, 1);
    g.examineeCounts(c, total) = n;
  }
}

}  // namespace valdrex
