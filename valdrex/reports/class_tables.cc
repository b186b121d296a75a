#include "valdrex/reports/class_tables.h"

#include "valdrex/gradebook/report_layout.h"
#include "valdrex/host/failure.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

using L = RankingSheetLayout;

Variant scoreCell(float score) { return score < 0 ? Variant() : Variant::single(score); }

// A total's rank, empty for a student without a total. A subject's rank cell shows what the table
// holds, even without a score.
Variant rankCell(const GradeBook& g, int k, int s, int j, int16_t rank) {
  if (j == g.subjectCount + 1 && !(g.scores(k, s, j) >= 0)) return Variant();
  return Variant::integer(rank);
}

void plainHeader(const GradeBook& g, host::Worksheet& sh) {
  for (int c = 1; c <= g.lastSubjectColumn; ++c)
    attempt([&] { sh.setCell(L::headerRow, c, g.headerTexts(c)); });
  // The score sheet may carry its own columns after the subjects; these three name the columns
  // written below, whatever the sheet had there.
  int col = g.lastSubjectColumn;
  for (std::string_view added : ScoreSheetLayout::addedHeaders) {
    ++col;
    attempt([&] { sh.setCell(L::headerRow, col, std::string(added)); });
  }
}

void plainRow(const GradeBook& g, host::Worksheet& sh, int row, int k, int s) {
  for (int m = 1; m <= g.firstSubjectColumn - 1; ++m)
    attempt([&] { sh.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j)
    attempt([&] { sh.setCell(row, g.firstSubjectColumn + j - 1, scoreCell(g.scores(k, s, j))); });
  attempt([&] {
    sh.setCell(row, L::plainClassRankColumn(g.firstSubjectColumn, g.subjectCount),
               rankCell(g, k, s, g.subjectCount + 1, g.classRanks(k, s, g.subjectCount + 1)));
  });
  attempt([&] {
    sh.setCell(row, L::plainSchoolRankColumn(g.firstSubjectColumn, g.subjectCount),
               rankCell(g, k, s, g.subjectCount + 1, g.schoolRanks(k, s, g.subjectCount + 1)));
  });
}

void detailedHeader(const GradeBook& g, host::Worksheet& sh) {
  constexpr int row = L::headerRow;
  for (int c = 1; c <= L::leadingColumns; ++c)
    attempt([&] { sh.setCell(row, c, g.headerTexts(c)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    // The score sheet's header holds subject j after the leading columns.
    const int h = L::leadingColumns + j;
    attempt([&] { sh.setCell(row, L::detailedScoreColumn(j), g.headerTexts(h) + "分数"); });
    attempt([&] { sh.setCell(row, L::detailedClassRankColumn(j), g.headerTexts(h) + "班排"); });
    attempt([&] { sh.setCell(row, L::detailedSchoolRankColumn(j), g.headerTexts(h) + "校排"); });
  }
}

void detailedRow(const GradeBook& g, host::Worksheet& sh, int row, int k, int s) {
  for (int m = 1; m <= L::leadingColumns; ++m)
    attempt([&] { sh.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    // The rank cells are written even without a score: they show what the tables hold.
    attempt([&] { sh.setCell(row, L::detailedScoreColumn(j), scoreCell(g.scores(k, s, j))); });
    attempt([&] {
      sh.setCell(row, L::detailedClassRankColumn(j), rankCell(g, k, s, j, g.classRanks(k, s, j)));
    });
    attempt([&] {
      sh.setCell(row, L::detailedSchoolRankColumn(j), rankCell(g, k, s, j, g.schoolRanks(k, s, j)));
    });
  }
}

}  // namespace

void writeClassTables(GradeBook& g, host::Worksheet& sh, bool detailed) {
  attempt([&] { sh.clear(sh.usedRange()); });
  attempt([&] {
    sh.setCell(L::titleRow, ReportTitleLayout::firstColumn,
               "各" + g.headerTexts(1) + "学生成绩统计排名表");
  });

  if (detailed)
    detailedHeader(g, sh);
  else
    plainHeader(g, sh);

  // Classes follow each other without a gap, in grade book order.
  int row = L::headerRow;
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

  const int lastColumn =
      detailed ? L::detailedWidth(g.subjectCount) : L::plainWidth(g.subjectCount);
  attempt([&] {
    addBorders(sh, indexArgument(L::headerRow), indexArgument(1),
               indexArgument(g.studentCount + L::headerRow), indexArgument(lastColumn));
  });
}

}  // namespace valdrex
