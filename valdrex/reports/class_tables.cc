#include "valdrex/reports/class_tables.h"

#include "valdrex/gradebook/report_layout.h"
#include "valdrex/host/failure.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

using L = RankingSheetLayout;

Variant scoreCell(float score) { return score < 0 ? Variant() : Variant::single(score); }

void plainHeader(const GradeBook& g, host::Worksheet& sh1) {
  for (int c = 1; c <= g.kmwl; ++c)
    attempt([&] { sh1.setCell(L::headerRow, c, g.headerTexts(c)); });
  // The score sheet may carry its own columns after the subjects; these three name the columns
  // written below, whatever the sheet had there.
  int col = g.kmwl;
  for (std::string_view added : ScoreSheetLayout::addedHeaders) {
    ++col;
    attempt([&] { sh1.setCell(L::headerRow, col, std::string(added)); });
  }
}

void plainRow(const GradeBook& g, host::Worksheet& sh1, int row, int k, int s) {
  for (int m = 1; m <= g.kmcl - 1; ++m)
    attempt([&] { sh1.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.km + 1; ++j)
    attempt([&] { sh1.setCell(row, g.kmcl + j - 1, scoreCell(g.scores(k, s, j))); });
  attempt([&] {
    sh1.setCell(row, L::plainClassRankColumn(g.kmcl, g.km),
                Variant::integer(g.classRanks(k, s, g.km + 1)));
  });
  attempt([&] {
    sh1.setCell(row, L::plainSchoolRankColumn(g.kmcl, g.km),
                Variant::integer(g.schoolRanks(k, s, g.km + 1)));
  });
}

void detailedHeader(const GradeBook& g, host::Worksheet& sh1) {
  constexpr int row = L::headerRow;
  for (int c = 1; c <= L::leadingColumns; ++c)
    attempt([&] { sh1.setCell(row, c, g.headerTexts(c)); });
  for (int j = 1; j <= g.km + 1; ++j) {
    // The score sheet's header holds subject j after the leading columns.
    const int h = L::leadingColumns + j;
    attempt([&] { sh1.setCell(row, L::detailedScoreColumn(j), g.headerTexts(h) + "分数"); });
    attempt([&] { sh1.setCell(row, L::detailedClassRankColumn(j), g.headerTexts(h) + "班排"); });
    attempt([&] { sh1.setCell(row, L::detailedSchoolRankColumn(j), g.headerTexts(h) + "校排"); });
  }
}

void detailedRow(const GradeBook& g, host::Worksheet& sh1, int row, int k, int s) {
  for (int m = 1; m <= L::leadingColumns; ++m)
    attempt([&] { sh1.setCell(row, m, g.studentInfo(k, s, m)); });
  for (int j = 1; j <= g.km + 1; ++j) {
    // The rank cells are written even without a score: they show what the tables hold.
    attempt([&] { sh1.setCell(row, L::detailedScoreColumn(j), scoreCell(g.scores(k, s, j))); });
    attempt([&] {
      sh1.setCell(row, L::detailedClassRankColumn(j), Variant::integer(g.classRanks(k, s, j)));
    });
    attempt([&] {
      sh1.setCell(row, L::detailedSchoolRankColumn(j), Variant::integer(g.schoolRanks(k, s, j)));
    });
  }
}

}  // namespace

void 各班成绩表(GradeBook& g, host::Worksheet& sh1, bool xx) {
  attempt([&] { sh1.clear(sh1.usedRange()); });
  attempt([&] {
    sh1.setCell(L::titleRow, ReportTitleLayout::firstColumn,
                "各" + g.headerTexts(1) + "学生成绩统计排名表");
  });

  if (xx)
    detailedHeader(g, sh1);
  else
    plainHeader(g, sh1);

  // Classes follow each other without a gap, in grade book order.
  int row = L::headerRow;
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

  const int lastColumn = xx ? L::detailedWidth(g.km) : L::plainWidth(g.km);
  attempt([&] {
    加边框(sh1, indexArgument(L::headerRow), indexArgument(1),
           indexArgument(g.总人数 + L::headerRow), indexArgument(lastColumn));
  });
}

}  // namespace valdrex
