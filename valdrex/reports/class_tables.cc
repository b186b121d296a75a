#include "valdrex/reports/class_tables.h"

#include "valdrex/host/failure.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

Variant scoreCell(float score) { return score < 0 ? Variant() : Variant::single(score); }

void plainHeader(const GradeBook& g, host::Worksheet& sh) {
  for (int c = 1; c <= g.lastSubjectColumn; ++c)
    attempt([&] { sh.setCell(2, c, g.headerTexts(c)); });
  // The score sheet may carry its own columns after the subjects; these three name the columns
  // written below, whatever the sheet had there.
  const char* const trailing[] = {"总分", "班排", "校排"};
  for (int i = 0; i < 3; ++i)
    attempt([&] { sh.setCell(2, g.lastSubjectColumn + 1 + i, trailing[i]); });
}

void plainRow(const GradeBook& g, host::Worksheet& sh, int row, int k, int s) {
  for (int m = 1; m <= g.firstSubjectColumn - 1; ++m)
    attempt([&] { sh.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j)
    attempt([&] { sh.setCell(row, g.firstSubjectColumn + j - 1, scoreCell(g.scores(k, s, j))); });
  attempt([&] {
    sh.setCell(row, g.firstSubjectColumn + g.subjectCount + 1,
               Variant::integer(g.classRanks(k, s, g.subjectCount + 1)));
  });
  attempt([&] {
    sh.setCell(row, g.firstSubjectColumn + g.subjectCount + 2,
               Variant::integer(g.schoolRanks(k, s, g.subjectCount + 1)));
  });
}

void detailedHeader(const GradeBook& g, host::Worksheet& sh) {
  for (int c = 1; c <= 3; ++c) attempt([&] { sh.setCell(2, c, g.headerTexts(c)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    attempt([&] { sh.setCell(2, 3 * j + 1, g.headerTexts(j + 3) + "分数"); });
    attempt([&] { sh.setCell(2, 3 * j + 2, g.headerTexts(j + 3) + "班排"); });
    attempt([&] { sh.setCell(2, 3 * j + 3, g.headerTexts(j + 3) + "校排"); });
  }
}

void detailedRow(const GradeBook& g, host::Worksheet& sh, int row, int k, int s) {
  for (int m = 1; m <= 3; ++m) attempt([&] { sh.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    // The rank cells are written even without a score: they show what the tables hold.
    attempt([&] { sh.setCell(row, 3 * j + 1, scoreCell(g.scores(k, s, j))); });
    attempt([&] { sh.setCell(row, 3 * j + 2, Variant::integer(g.classRanks(k, s, j))); });
    attempt([&] { sh.setCell(row, 3 * j + 3, Variant::integer(g.schoolRanks(k, s, j))); });
  }
}

}  // namespace

void writeClassTables(GradeBook& g, host::Worksheet& sh, bool detailed) {
  attempt([&] { sh.clear(sh.usedRange()); });
  attempt([&] { sh.setCell(1, 1, "各" + g.headerTexts(1) + "学生成绩统计排名表"); });

  if (detailed)
    detailedHeader(g, sh);
  else
    plainHeader(g, sh);

  // Classes follow each other without a gap, in grade book order.
  int row = 2;
  for (int k = 1; k <= g.classCount; ++k) {
    int size = 0;
    if (!attempt([&] { size = g.classSizes(k); })) continue;
    for (int s = 1; s <= size; ++s) {
      ++row;
      if (detailed)
        detailedRow(g, sh, row, k, s);
      else
        plainRow(g, sh, row, k, s);
    }
  }

  const int lastColumn = detailed ? 3 * (g.subjectCount + 2) : g.subjectCount + 6;
  attempt([&] {
    addBorders(sh, indexArgument(2), indexArgument(1), indexArgument(g.studentCount + 2),
               indexArgument(lastColumn));
  });
}

}  // namespace valdrex
