#include "valdrex/reports/class_tables.h"

#include "valdrex/host/failure.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

Variant scoreCell(float score) { return score < 0 ? Variant() : Variant::single(score); }

void plainHeader(const GradeBook& g, host::Worksheet& sh1) {
  for (int c = 1; c <= g.kmwl; ++c) attempt([&] { sh1.setCell(2, c, g.headerTexts(c)); });
  // The score sheet may carry its own columns after the subjects; these three name the columns
  // written below, whatever the sheet had there.
  const char* const trailing[] = {"总分", "班排", "校排"};
  for (int i = 0; i < 3; ++i) attempt([&] { sh1.setCell(2, g.kmwl + 1 + i, trailing[i]); });
}

void plainRow(const GradeBook& g, host::Worksheet& sh1, int row, int k, int s) {
  for (int m = 1; m <= g.kmcl - 1; ++m)
    attempt([&] { sh1.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.km + 1; ++j)
    attempt([&] { sh1.setCell(row, g.kmcl + j - 1, scoreCell(g.scores(k, s, j))); });
  attempt(
      [&] { sh1.setCell(row, g.kmcl + g.km + 1, Variant::integer(g.classRanks(k, s, g.km + 1))); });
  attempt([&] {
    sh1.setCell(row, g.kmcl + g.km + 2, Variant::integer(g.schoolRanks(k, s, g.km + 1)));
  });
}

void detailedHeader(const GradeBook& g, host::Worksheet& sh1) {
  for (int c = 1; c <= 3; ++c) attempt([&] { sh1.setCell(2, c, g.headerTexts(c)); });
  for (int j = 1; j <= g.km + 1; ++j) {
    attempt([&] { sh1.setCell(2, 3 * j + 1, g.headerTexts(j + 3) + "分数"); });
    attempt([&] { sh1.setCell(2, 3 * j + 2, g.headerTexts(j + 3) + "班排"); });
    attempt([&] { sh1.setCell(2, 3 * j + 3, g.headerTexts(j + 3) + "校排"); });
  }
}

void detailedRow(const GradeBook& g, host::Worksheet& sh1, int row, int k, int s) {
  for (int m = 1; m <= 3; ++m) attempt([&] { sh1.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.km + 1; ++j) {
    // The rank cells are written even without a score: they show what the tables hold.
    attempt([&] { sh1.setCell(row, 3 * j + 1, scoreCell(g.scores(k, s, j))); });
    attempt([&] { sh1.setCell(row, 3 * j + 2, Variant::integer(g.classRanks(k, s, j))); });
    attempt([&] { sh1.setCell(row, 3 * j + 3, Variant::integer(g.schoolRanks(k, s, j))); });
  }
}

}  // namespace

void 各班成绩表(GradeBook& g, host::Worksheet& sh1, bool xx) {
  attempt([&] { sh1.clear(sh1.usedRange()); });
  attempt([&] { sh1.setCell(1, 1, "各" + g.headerTexts(1) + "学生成绩统计排名表"); });

  if (xx)
    detailedHeader(g, sh1);
  else
    plainHeader(g, sh1);

  // Classes follow each other without a gap, in grade book order.
  int row = 2;
  for (int k = 1; k <= g.班级数; ++k) {
    int size = 0;
    if (!attempt([&] { size = g.classSizes(k); })) continue;
    for (int s = 1; s <= size; ++s) {
      ++row;
      if (xx)
        detailedRow(g, sh1, row, k, s);
      else
        plainRow(g, sh1, row, k, s);
    }
  }

  const int lastColumn = xx ? 3 * (g.km + 2) : g.km + 6;
  attempt([&] {
    加边框(sh1, indexArgument(2), indexArgument(1), indexArgument(g.总人数 + 2),
           indexArgument(lastColumn));
  });
}

}  // namespace valdrex
