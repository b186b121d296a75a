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
Variant rankCell(const GradeBook& g, const RankShown& shown, int k, int s, int j, int16_t rank) {
  if (shown.hidden || (j == g.subjectCount + 1 && !(g.scores(k, s, j) >= 0))) return Variant();
  return Variant::integer(rank);
}

Variant levelCell(const RankShown& shown, int k, int s, int j) {
  return Variant(std::string(shown.levels->level(k, s, j)));
}

void plainHeader(const GradeBook& g, host::Worksheet& sh, const RankShown& shown) {
  for (int c = 1; c <= g.lastSubjectColumn; ++c)
    attempt([&] { sh.setCell(L::headerRow, c, g.headerTexts(c)); });
  // The score sheet may carry its own columns after the subjects; these three name the columns
  // written below, whatever the sheet had there.
  int col = g.lastSubjectColumn;
  for (std::string_view added : ScoreSheetLayout::addedHeaders) {
    ++col;
    attempt([&] { sh.setCell(L::headerRow, col, std::string(added)); });
  }
  if (shown.hasLevels())
    attempt([&] {
      sh.setCell(L::headerRow, L::plainLevelColumn(g.firstSubjectColumn, g.subjectCount),
                 std::string(ScoreSheetLayout::totalHeader) + std::string(L::levelSuffix));
    });
}

void plainRow(const GradeBook& g, host::Worksheet& sh, const RankShown& shown, int row, int k,
              int s) {
  for (int m = 1; m <= g.firstSubjectColumn - 1; ++m)
    attempt([&] { sh.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j)
    attempt([&] { sh.setCell(row, g.firstSubjectColumn + j - 1, scoreCell(g.scores(k, s, j))); });
  attempt([&] {
    sh.setCell(
        row, L::plainClassRankColumn(g.firstSubjectColumn, g.subjectCount),
        rankCell(g, shown, k, s, g.subjectCount + 1, g.classRanks(k, s, g.subjectCount + 1)));
  });
  attempt([&] {
    sh.setCell(
        row, L::plainSchoolRankColumn(g.firstSubjectColumn, g.subjectCount),
        rankCell(g, shown, k, s, g.subjectCount + 1, g.schoolRanks(k, s, g.subjectCount + 1)));
  });
  if (shown.hasLevels())
    attempt([&] {
      sh.setCell(row, L::plainLevelColumn(g.firstSubjectColumn, g.subjectCount),
                 levelCell(shown, k, s, g.subjectCount + 1));
    });
}

void detailedHeader(const GradeBook& g, host::Worksheet& sh, const RankShown& shown) {
  const bool lv = shown.hasLevels();
  constexpr int row = L::headerRow;
  for (int c = 1; c <= L::leadingColumns; ++c)
    attempt([&] { sh.setCell(row, c, g.headerTexts(c)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    // The score sheet's header holds subject j after the leading columns.
    const int h = L::leadingColumns + j;
    attempt([&] { sh.setCell(row, L::detailedScoreColumn(j, lv), g.headerTexts(h) + "分数"); });
    attempt([&] { sh.setCell(row, L::detailedClassRankColumn(j, lv), g.headerTexts(h) + "班排"); });
    attempt(
        [&] { sh.setCell(row, L::detailedSchoolRankColumn(j, lv), g.headerTexts(h) + "校排"); });
    if (lv)
      attempt([&] {
        sh.setCell(row, L::detailedLevelColumn(j), g.headerTexts(h) + std::string(L::levelSuffix));
      });
  }
}

void detailedRow(const GradeBook& g, host::Worksheet& sh, const RankShown& shown, int row, int k,
                 int s) {
  const bool lv = shown.hasLevels();
  for (int m = 1; m <= L::leadingColumns; ++m)
    attempt([&] { sh.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    // The rank cells are written even without a score: they show what the tables hold.
    attempt([&] { sh.setCell(row, L::detailedScoreColumn(j, lv), scoreCell(g.scores(k, s, j))); });
    attempt([&] {
      sh.setCell(row, L::detailedClassRankColumn(j, lv),
                 rankCell(g, shown, k, s, j, g.classRanks(k, s, j)));
    });
    attempt([&] {
      sh.setCell(row, L::detailedSchoolRankColumn(j, lv),
                 rankCell(g, shown, k, s, j, g.schoolRanks(k, s, j)));
    });
    if (lv) attempt([&] { sh.setCell(row, L::detailedLevelColumn(j), levelCell(shown, k, s, j)); });
  }
}

}  // namespace

void writeClassTables(GradeBook& g, host::Worksheet& sh, bool detailed, const RankShown& shown) {
  attempt([&] { sh.clear(sh.usedRange()); });
  attempt([&] {
    sh.setCell(L::titleRow, ReportTitleLayout::firstColumn,
               "各" + g.headerTexts(1) + "学生成绩统计排名表");
  });

  if (detailed)
    detailedHeader(g, sh, shown);
  else
    plainHeader(g, sh, shown);

  // Classes follow each other without a gap, in grade book order.
  int row = L::headerRow;
  for (int k = 1; k <= g.classCount; ++k) {
    int size = 0;
    if (!attempt([&] { size = g.classSizes(k); })) continue;
    for (int s = 1; s <= size; ++s) {
      ++row;
      if (detailed)
        detailedRow(g, sh, shown, row, k, s);
      else
        plainRow(g, sh, shown, row, k, s);
    }
  }

  const int lastColumn = detailed ? L::detailedWidth(g.subjectCount, shown.hasLevels())
                                  : L::plainWidth(g.subjectCount, shown.hasLevels());
  attempt([&] {
    addBorders(sh, indexArgument(L::headerRow), indexArgument(1),
               indexArgument(g.studentCount + L::headerRow), indexArgument(lastColumn));
  });
}

}  // namespace valdrex
