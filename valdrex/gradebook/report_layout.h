// Where the run writes every report sheet, and so where the charts and the print settings find
// what it wrote: the title row, the student lists and the stacked tables of "两率一分",
// "完成率表", "分数段统计" and "名次段统计". The writers, the charts, the print settings and the
// band header check all read them from here.
#pragma once

#include <string_view>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Row 1 of every report sheet: the title merged over all but the last two columns of the table,
// the run's date merged over those two.
struct ReportTitleLayout {
  static constexpr int row = 1;
  static constexpr int firstColumn = 1;
  static constexpr int dateColumns = 2;
  static constexpr int lastTitleColumn(int width) { return width - dateColumns; }
  static constexpr int dateColumn(int width) { return width - dateColumns + 1; }
};

// The student lists "输出表", "各班详细排名", "各班排名表", "年级排名表" and "年级详细排名":
// the title, the header, a row per student. The per-class lists repeat the title and header
// rows before every class after the first.
struct RankingSheetLayout {
  static constexpr int titleRow = ReportTitleLayout::row;
  static constexpr int headerRow = 2;
  static constexpr int firstStudentRow = 3;
  static constexpr int rowsBeforeEachClass = 2;
  // The score sheet's leading columns come first, the same in every list.
  static constexpr int leadingColumns = ScoreSheetLayout::leadingColumns;
  static constexpr int seatColumn = ScoreSheetLayout::seatColumn;

  // Plain lists copy the score sheet's columns up to its last subject, then the total and the
  // total's class and school rank, and with levels the total's level.
  static constexpr int plainTotalColumn(int firstSubjectColumn, int subjects) {
    return firstSubjectColumn + subjects;
  }
  static constexpr int plainClassRankColumn(int firstSubjectColumn, int subjects) {
    return plainTotalColumn(firstSubjectColumn, subjects) + 1;
  }
  static constexpr int plainSchoolRankColumn(int firstSubjectColumn, int subjects) {
    return plainTotalColumn(firstSubjectColumn, subjects) + 2;
  }
  static constexpr int plainLevelColumn(int firstSubjectColumn, int subjects) {
    return plainTotalColumn(firstSubjectColumn, subjects) + 3;
  }
  // As wide as a score sheet with the leading columns of a new workbook.
  static constexpr int plainWidth(int subjects, bool levels = false) {
    return plainSchoolRankColumn(leadingColumns + 1, subjects) + (levels ? 1 : 0);
  }

  // Detailed lists: score, class rank and school rank of subject j side by side (the total's at
  // subjects + 1), and with levels the level after them.
  static constexpr int detailedColumns(bool levels) { return levels ? 4 : 3; }
  static constexpr int detailedScoreColumn(int j, bool levels = false) {
    return leadingColumns + detailedColumns(levels) * (j - 1) + 1;
  }
  static constexpr int detailedClassRankColumn(int j, bool levels = false) {
    return detailedScoreColumn(j, levels) + 1;
  }
  static constexpr int detailedSchoolRankColumn(int j, bool levels = false) {
    return detailedScoreColumn(j, levels) + 2;
  }
  static constexpr int detailedLevelColumn(int j) { return detailedScoreColumn(j, true) + 3; }
  static constexpr int detailedWidth(int subjects, bool levels = false) {
    return detailedScoreColumn(subjects + 2, levels) - 1;
  }
  // The level beside a rank is headed by the column's name and this.
  static constexpr std::string_view levelSuffix = "等级";
};

// The sheets of stacked tables: one table per subject and the total's last, each with the
// subject's name in the row above its header, a row per class (class name, then the count of
// those who sat) and `gap` more rows before the next table's header.
struct TableSheetLayout {
  std::string_view name;
  int gap = 0;
  int lastBandColumn = 0;  // band sheets: header cells beyond it are not read
  static constexpr int firstHeaderRow = 3;
  static constexpr int subjectNameColumn = 4;
  static constexpr int classColumn = 1;  // "班级" in the header
  static constexpr int examineeColumn = 2;
  static constexpr int firstBandColumn = 3;  // band sheets: the bands' header cells from here

  // Table t (from 1; the total's is subjects + 1) of a grade of `classes` classes.
  constexpr int headerRow(int t, int classes) const {
    return firstHeaderRow + (t - 1) * (classes + gap);
  }
  constexpr int subjectNameRow(int t, int classes) const { return headerRow(t, classes) - 1; }
  constexpr int classRow(int t, int classes, int k) const { return headerRow(t, classes) + k; }
  constexpr int totalRow(int t, int classes) const { return headerRow(t, classes) + classes + 1; }
  // The notes under the last of `tables` tables.
  constexpr int noteRow(int tables, int classes) const { return totalRow(tables, classes) + 1; }
};

// The default rank header has at most this many bands.
inline constexpr int kRankBands = 100;

inline constexpr TableSheetLayout kTwoRatesLayout{ReportSheets::twoRates, 3};
inline constexpr TableSheetLayout kCompletionLayout{ReportSheets::completionRates, 3};
inline constexpr TableSheetLayout kScoreBandLayout{ReportSheets::scoreBands, 3, host::kMaxColumns};
inline constexpr TableSheetLayout kRankBandLayout{
    ReportSheets::rankBands, 2, TableSheetLayout::firstBandColumn + kRankBands - 1};

// The columns of a "两率一分" table. The low rate, when the property sheet names it "低分率",
// follows the average and shifts the columns after it right.
struct TwoRatesColumns {
  bool lowRate = false;
  static constexpr int className = TableSheetLayout::classColumn;
  static constexpr int examinees = TableSheetLayout::examineeColumn;
  static constexpr int excellentCount = 3;
  static constexpr int passCount = 4;
  static constexpr int excellentRate = 5;
  static constexpr int passRate = 6;
  static constexpr int average = 7;
  static constexpr int lowRateColumn = 8;
  constexpr int composite() const { return lowRateColumn + (lowRate ? 1 : 0); }
  constexpr int compositeRank() const { return composite() + 1; }
  constexpr int excellentRateRank() const { return composite() + 2; }
  constexpr int passRateRank() const { return composite() + 3; }
  constexpr int averageRank() const { return composite() + 4; }
  // The last table's header says "班主任" here.
  constexpr int teacher() const { return composite() + 5; }
  constexpr int last() const { return teacher(); }
};

// The columns of a "完成率表" table.
struct CompletionColumns {
  static constexpr int className = TableSheetLayout::classColumn;
  static constexpr int examinees = TableSheetLayout::examineeColumn;
  static constexpr int firstTierCount = 3;
  static constexpr int firstTierRate = 4;
  static constexpr int secondTierCount = 5;
  static constexpr int secondTierRate = 6;
  static constexpr int average = 7;
  static constexpr int averageRate = 8;
  static constexpr int composite = 9;
  static constexpr int compositeRank = 10;
  static constexpr int teacher = 11;  // "班主任" in the last table's header
  static constexpr int last = teacher;
  // Two rows of notes under the last table.
  static constexpr int noteRows = 2;
};

// "一分一段表": a table per scored column, the total's first, then each subject's when asked. Each
// table has its column's name in the row above its header and a row per score step; the tables
// differ in length, so each starts `gap` rows after the one before. A note row ends the sheet.
struct SegmentSheetLayout {
  static constexpr int firstNameRow = 2;
  static constexpr int nameColumn = 1;
  static constexpr int gap = 1;
  static constexpr int step = 1;  // "分数段"
  static constexpr int count = 2;
  static constexpr int cumulative = 3;
  static constexpr int percent = 4;
  static constexpr int ranks = 5;  // the grade ranks the step's students hold
  static constexpr int last = ranks;
  // Readers of the result keep no row below this: longer tables are not written.
  static constexpr int lastRow = 32768;
  static constexpr int headerRow(int nameRow) { return nameRow + 1; }
  static constexpr int stepRow(int nameRow, int k) { return headerRow(nameRow) + k; }
  // The name row of the table after one of `steps` rows.
  static constexpr int nextNameRow(int nameRow, int steps) {
    return stepRow(nameRow, steps) + gap + 1;
  }
};
static_assert(SegmentSheetLayout::headerRow(SegmentSheetLayout::firstNameRow) ==
                  TableSheetLayout::firstHeaderRow,
              "the first header stands where every table sheet's does");

// "临界生": the counts per class first (a row per list, a column per class and the sum), then
// every list as a table of its own: its title in the row above its header, a row per student
// (or one saying there is none), `gap` rows before the next.
struct NearSheetLayout {
  static constexpr int countNameRow = 2;
  static constexpr int countHeaderRow = 3;
  static constexpr int listColumn = 1;  // the list's title in the count table
  static constexpr int countClassColumn(int k) { return 1 + k; }
  static constexpr int countSumColumn(int classes) { return classes + 2; }
  static constexpr int countWidth(int classes) { return countSumColumn(classes); }
  static constexpr int countRow(int list) { return countHeaderRow + list; }
  static constexpr int gap = 1;
  static constexpr int className = 1;
  static constexpr int studentName = 2;
  static constexpr int value = 3;     // the score, or the grade rank for a tier
  static constexpr int distance = 4;  // how far from the line
  static constexpr int listWidth = distance;
  // The title row of the first list, under a count table of `lists` rows.
  static constexpr int firstTitleRow(int lists) { return countRow(lists) + gap + 1; }
  static constexpr int headerRow(int titleRow) { return titleRow + 1; }
  static constexpr int studentRow(int titleRow, int k) { return headerRow(titleRow) + k; }
  // The title row after a list of `rows` rows.
  static constexpr int nextTitleRow(int titleRow, int rows) {
    return studentRow(titleRow, rows) + gap + 1;
  }
};

// "进退步": a row per student of both exams under one header, then the students of one exam only
// and what could not be paired, each a titled list `gap` rows after the one before.
struct ProgressSheetLayout {
  static constexpr int noteRow = 2;  // why a column stays empty, when it does
  static constexpr int headerRow = TableSheetLayout::firstHeaderRow;
  static constexpr int firstStudentRow = headerRow + 1;
  static constexpr int className = 1;
  static constexpr int examNumber = 2;
  static constexpr int studentName = 3;
  static constexpr int totalBefore = 4;
  static constexpr int totalNow = 5;
  static constexpr int totalChange = 6;
  static constexpr int classRankBefore = 7;
  static constexpr int classRankNow = 8;
  static constexpr int classRankChange = 9;
  static constexpr int gradeRankBefore = 10;
  static constexpr int gradeRankNow = 11;
  static constexpr int gradeRankChange = 12;
  // The k-th subject of both exams: its grade rank change.
  static constexpr int subjectChange(int k) { return gradeRankChange + k; }
  // With levels, the total's level of each exam after the last subject's change.
  static constexpr int levelBefore(int subjects) { return subjectChange(subjects) + 1; }
  static constexpr int levelNow(int subjects) { return subjectChange(subjects) + 2; }
  static constexpr int width(int subjects, bool levels = false) {
    return levels ? levelNow(subjects) : subjectChange(subjects);
  }
  static constexpr int gap = 1;
  // The lists after the last of `rows` student rows.
  static constexpr int firstListRow(int rows) { return firstStudentRow + rows + gap; }
};

// "进退步汇总": a row per class of this exam and the grade's, under one header.
struct ProgressSummaryLayout {
  static constexpr int headerRow = TableSheetLayout::firstHeaderRow;
  static constexpr int className = 1;
  static constexpr int matched = 2;
  static constexpr int upward = 3;
  static constexpr int downward = 4;
  static constexpr int level = 5;
  static constexpr int averageRankChange = 6;
  static constexpr int subjectAverageChange(int k) { return averageRankChange + k; }
  static constexpr int width(int subjects) { return subjectAverageChange(subjects); }
  static constexpr int classRow(int k) { return headerRow + k; }
  static constexpr int totalRow(int classes) { return classRow(classes + 1); }
};

// "成绩条": a slip per student, a header row and a value row, then an empty row to cut along;
// class after class, in class and seat order. Columns: the leading ones, each subject's and the
// total's score (each followed by its level, with levels), then the total's two ranks unless they
// are hidden, then against an earlier exam the total's change (and its grade rank's).
struct SlipSheetLayout {
  static constexpr int rowsPerSlip = 3;
  static constexpr int classColumn = 1;
  // Slip i, from 0.
  static constexpr int headerRow(int i) { return 1 + rowsPerSlip * i; }
  static constexpr int valueRow(int i) { return headerRow(i) + 1; }
};

}  // namespace valdrex
