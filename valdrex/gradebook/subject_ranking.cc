#include "valdrex/gradebook/subject_ranking.h"

#include <algorithm>
#include <vector>

namespace valdrex {

namespace {

struct Entry {
  float score;
  int16_t c, s;
};

// Ranks one column by sorting the present scores once, best first: a student's grade rank is
// one more than the number of scores before the first equal one, and walking the same order
// class by class gives the class ranks. Identical to counting the higher scores of each
// student, without the work growing with the square of the grade.
void rankColumn(GradeBook& g, int j, std::vector<Entry>& present) {
  present.clear();
  // Read everything first: a bad index fails before any rank of this column is written.
  for (int c = 1; c <= g.classCount; ++c)
    for (int s = 1; s <= g.classSizes(c); ++s) {
      float v = g.scores(c, s, j);
      if (v >= 0) present.push_back({v, static_cast<int16_t>(c), static_cast<int16_t>(s)});
    }
  std::sort(present.begin(), present.end(),
            [](const Entry& a, const Entry& b) { return a.score > b.score; });

  struct ClassWalk {
    int seen = 0;
    float last = 0;
    int16_t rank = 0;
  };
  ClassWalk walk[kClassSlots];
  int16_t gradeRank = 0;
  for (std::size_t i = 0; i < present.size(); ++i) {
    const Entry& e = present[i];
    if (i == 0 || e.score != present[i - 1].score) gradeRank = static_cast<int16_t>(i + 1);
    ClassWalk& w = walk[e.c];
    if (w.seen == 0 || e.score != w.last) w.rank = static_cast<int16_t>(w.seen + 1);
    w.last = e.score;
    ++w.seen;
    g.classRanks(e.c, e.s, j) = w.rank;
    g.schoolRanks(e.c, e.s, j) = gradeRank;
  }

  // An absent score has no rank; 0 says so instead of a rank left from an earlier grade.
  for (int c = 1; c <= g.classCount; ++c)
    for (int s = 1; s <= g.classSizes(c); ++s)
      if (!(g.scores(c, s, j) >= 0)) {
        g.classRanks(c, s, j) = 0;
        g.schoolRanks(c, s, j) = 0;
      }
}

}  // namespace

void rankSubjects(GradeBook& g) {
  std::vector<Entry> present;
  present.reserve(kClassSlots * kStudentSlots);
  for (int j = 1; j <= g.subjectCount + 1; ++j) rankColumn(g, j, present);
}

}  // namespace valdrex
