#include "valdrex/run/ranking_sheets.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "valdrex/gradebook/report_layout.h"

namespace valdrex {

namespace {

using L = RankingSheetLayout;

bool perClass(RankingSheet kind) {
  return kind == RankingSheet::ClassPlain || kind == RankingSheet::ClassDetailed;
}

bool detailed(RankingSheet kind) {
  return kind == RankingSheet::ClassDetailed || kind == RankingSheet::GradeDetailed;
}

int tableWidth(const GradeBook& g, RankingSheet kind, const RankShown& shown) {
  return detailed(kind) ? L::detailedWidth(g.subjectCount, shown.hasLevels())
                        : L::plainWidth(g.subjectCount, shown.hasLevels());
}

// The total's class and school rank columns.
std::pair<int, int> totalRankColumns(const GradeBook& g, RankingSheet kind,
                                     const RankShown& shown) {
  const int total = g.subjectCount + 1;
  const bool lv = shown.hasLevels();
  if (detailed(kind))
    return {L::detailedClassRankColumn(total, lv), L::detailedSchoolRankColumn(total, lv)};
  return {L::plainClassRankColumn(L::leadingColumns + 1, g.subjectCount),
          L::plainSchoolRankColumn(L::leadingColumns + 1, g.subjectCount)};
}

// The class column of the copied table: the score sheet's "班级" column when it is among the
// leading columns that the table carries, else the first.
int tableClassColumn(const GradeBook& g) {
  return g.classColumn >= 1 && g.classColumn <= L::leadingColumns ? g.classColumn : 1;
}

std::string titleSuffix(RankingSheet kind) {
  return kind == RankingSheet::ClassPlain ? "学生成绩表" : "学生排名表";
}

// Students in the table: those of the listed classes (a blank class cell has no row).
int studentRows(const GradeBook& g) {
  int n = 0;
  for (int c = 1; c <= std::min<int>(g.classCount, ModelLimits::classes); ++c) n += g.classSizes(c);
  return n;
}

// The title over all but the last two of the w columns, the run's date over those, centred.
void datedTitleRow(host::Worksheet& sh, int w, host::Clock& clock) {
  using Title = ReportTitleLayout;
  sh.merge(host::between(Title::row, Title::firstColumn, Title::row, Title::lastTitleColumn(w)));
  sh.merge(host::between(Title::row, Title::dateColumn(w), Title::row, w));
  sh.setCell(Title::row, Title::dateColumn(w), Variant::date(dateSerial(clock.today())));
  sh.setHorizontalAlignment(host::wholeRow(Title::row), host::HAlign::Center);
}

// The blocks are found in the sorted sheet itself, so that each title names the class whose
// students follow it, whatever order the class list has.
void classBlocks(const GradeBook& g, host::Worksheet& sh, RankingSheet kind) {
  const std::string suffix = titleSuffix(kind);
  const int column = tableClassColumn(g);
  constexpr int titleColumn = ReportTitleLayout::firstColumn;
  int last = L::headerRow + studentRows(g);
  if (last < L::firstStudentRow) {
    sh.setCell(L::titleRow, titleColumn, suffix);
    return;
  }
  Variant current = sh.cell(L::firstStudentRow, column);
  sh.setCell(L::titleRow, titleColumn, textOf(current) + suffix);
  for (int row = L::firstStudentRow + 1; row <= last; ++row) {
    Variant v = sh.cell(row, column);
    if (v == current) continue;
    current = v;
    sh.copy(host::wholeRow(L::headerRow));
    sh.insertRow(row);
    sh.copy(host::wholeRow(L::titleRow));
    sh.insertRow(row);
    sh.setCell(row, titleColumn, textOf(v) + suffix);
    row += L::rowsBeforeEachClass;  // onto the block's first student
    last += L::rowsBeforeEachClass;
  }
}

// In the per-class list sorted by seat, students without a total rank (they sat no subject) go
// after the ranked students of their class, keeping their seat order. Rows are moved whole, so
// their texts and formats stay as they are. Expects the header in row 1.
void unrankedLastInClass(const GradeBook& g, host::Worksheet& sh, int rankColumn) {
  const int column = tableClassColumn(g);
  const int last = 1 + studentRows(g);
  auto ranked = [&](int row) { return !sh.cell(row, rankColumn).isEmpty(); };
  for (int first = 2; first <= last;) {
    int end = first;
    while (end < last && sh.cell(end + 1, column) == sh.cell(first, column)) ++end;
    int lastRanked = 0;
    for (int row = first; row <= end; ++row)
      if (ranked(row)) lastRanked = row;
    for (int row = first, seen = first; seen <= lastRanked; ++seen) {
      if (ranked(row)) {
        ++row;
        continue;
      }
      sh.copy(host::wholeRow(row));
      sh.insertRow(end + 1);
      sh.deleteCells(host::wholeRow(row));
    }
    first = end + 1;
  }
}

}  // namespace

const char* rankingSheetName(RankingSheet kind) {
  switch (kind) {
    case RankingSheet::ClassPlain:
      return ReportSheets::classPlain.data();
    case RankingSheet::GradePlain:
      return ReportSheets::gradePlain.data();
    case RankingSheet::ClassDetailed:
      return ReportSheets::classDetailed.data();
    case RankingSheet::GradeDetailed:
      return ReportSheets::gradeDetailed.data();
  }
  return "";
}

void sortRankingSheet(const GradeBook& g, host::Worksheet& sh, RankingSheet kind,
                      const RankShown& shown) {
  sh.deleteCells(host::wholeRow(L::titleRow));
  const auto [classRank, schoolRank] = totalRankColumns(g, kind, shown);
  std::array<host::SortKey, 2> keys;
  if (shown.hidden) {
    // No order may tell a rank: every list goes by class and seat.
    keys = {{{tableClassColumn(g)}, {L::seatColumn}}};
    sh.sort(sh.usedRange(), keys, true);
    return;
  }
  switch (kind) {
    case RankingSheet::ClassPlain:
      keys = {{{tableClassColumn(g)}, {L::seatColumn}}};
      break;
    case RankingSheet::ClassDetailed:
      keys = {{{tableClassColumn(g)}, {schoolRank}}};
      break;
    case RankingSheet::GradePlain:
    case RankingSheet::GradeDetailed:
      // School rank by total, then class rank by total.
      keys = {{{schoolRank}, {classRank}}};
      break;
  }
  sh.sort(sh.usedRange(), keys, true);
  if (kind == RankingSheet::ClassPlain) unrankedLastInClass(g, sh, schoolRank);
}

void titleRankingSheet(const GradeBook& g, host::Worksheet& sh, RankingSheet kind,
                       host::Clock& clock, const RankShown& shown) {
  sh.insertRow(L::titleRow);
  datedTitleRow(sh, tableWidth(g, kind, shown), clock);
  if (perClass(kind)) classBlocks(g, sh, kind);
}

}  // namespace valdrex
