#include "valdrex/run/ranking_sheets.h"

#include <algorithm>
#include <array>
#include <string>

namespace valdrex {

namespace {

bool perClass(RankingSheet kind) {
  return kind == RankingSheet::ClassPlain || kind == RankingSheet::ClassDetailed;
}

bool detailed(RankingSheet kind) {
  return kind == RankingSheet::ClassDetailed || kind == RankingSheet::GradeDetailed;
}

int tableWidth(const GradeBook& g, RankingSheet kind) {
  return detailed(kind) ? 3 * g.subjectCount + 6 : g.subjectCount + 6;
}

// The class column of the copied table: the score sheet's "班级" column when it is among the
// three leading columns that the table carries, else the first.
int tableClassColumn(const GradeBook& g) {
  return g.classColumn >= 1 && g.classColumn <= 3 ? g.classColumn : 1;
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

// Title area over columns 1 to w-2, the run's date over the last two, the row centred.
void datedTitleRow(host::Worksheet& sh, int w, host::Clock& clock) {
  sh.merge(host::between(1, 1, 1, w - 2));
  sh.merge(host::between(1, w - 1, 1, w));
  sh.setCell(1, w - 1, Variant::date(dateSerial(clock.today())));
  sh.setHorizontalAlignment(host::wholeRow(1), host::HAlign::Center);
}

// The blocks are found in the sorted sheet itself, so that each title names the class whose
// students follow it, whatever order the class list has.
void classBlocks(const GradeBook& g, host::Worksheet& sh, RankingSheet kind) {
  const std::string suffix = titleSuffix(kind);
  const int column = tableClassColumn(g);
  int last = 2 + studentRows(g);
  if (last < 3) {
    sh.setCell(1, 1, suffix);
    return;
  }
  Variant current = sh.cell(3, column);
  sh.setCell(1, 1, textOf(current) + suffix);
  for (int row = 4; row <= last; ++row) {
    Variant v = sh.cell(row, column);
    if (v == current) continue;
    current = v;
    sh.copy(host::wholeRow(2));
    sh.insertRow(row);
    sh.copy(host::wholeRow(1));
    sh.insertRow(row);
    sh.setCell(row, 1, textOf(v) + suffix);
    row += 2;  // onto the block's first student
    last += 2;
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

void sortRankingSheet(const GradeBook& g, host::Worksheet& sh, RankingSheet kind) {
  sh.deleteCells(host::wholeRow(1));
  const int w = tableWidth(g, kind);
  std::array<host::SortKey, 2> keys;
  switch (kind) {
    case RankingSheet::ClassPlain:
      keys = {{{tableClassColumn(g)}, {2}}};
      break;
    case RankingSheet::ClassDetailed:
      keys = {{{tableClassColumn(g)}, {w}}};
      break;
    case RankingSheet::GradePlain:
    case RankingSheet::GradeDetailed:
      // School rank by total, then class rank by total.
      keys = {{{w}, {w - 1}}};
      break;
  }
  sh.sort(sh.usedRange(), keys, true);
}

void titleRankingSheet(const GradeBook& g, host::Worksheet& sh, RankingSheet kind,
                       host::Clock& clock) {
  sh.insertRow(1);
  datedTitleRow(sh, tableWidth(g, kind), clock);
  if (perClass(kind)) classBlocks(g, sh, kind);
}

}  // namespace valdrex
