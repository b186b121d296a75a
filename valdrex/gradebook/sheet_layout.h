// Where the workbook keeps what the loading reads and the run writes: the score sheet's rows and
// columns, the property sheet's rows, the report sheets' names and the bounds of the tables. The
// loading, the run, the workbook checks and the new workbooks all read them from here; the rows
// and columns of the report sheets are in report_layout.h.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "valdrex/host/worksheet.h"

namespace valdrex {

// Bounds of the grade book's tables; a workbook beyond them stops the loading.
struct ModelLimits {
  static constexpr int classes = 20;
  static constexpr int studentsPerClass = 100;
  static constexpr int subjects = 12;
  // Subjects 1..12 and the total at 13.
  static constexpr int subjectSlots = 14;
  // A student's scores and ranks: subjects and the total, numbered from 1. Wider than
  // subjectSlots, so a subject count set by the host up to 15 still fits its total.
  static constexpr int studentSubjectSlots = 17;
  // Header cells from the first subject column the scan reads before it gives up.
  static constexpr int subjectColumns = 14;
  // Score sheet header texts kept; "总分", "班排" and "校排" are added after them.
  static constexpr int headerTexts = 20;
  // Leading columns (class, seat, name, ...) kept for every student.
  static constexpr int studentInfoColumns = 7;
  // Class rows of the property sheet holding teachers.
  static constexpr int teacherRows = 20;
  // Student rows are counted in 16 bits: a list reaching this row is beyond the count.
  static constexpr int firstRowBeyondCount = 32767;
};

struct ScoreSheetLayout {
  static constexpr std::string_view defaultName = "成绩表";
  static constexpr int titleRow = 1;
  static constexpr int rawFullMarkRow = 2;  // each subject's paper is marked out of this
  static constexpr int headerRow = 3;
  static constexpr int firstStudentRow = 4;
  // The leading columns as new workbooks lay them out; the loading finds the class and seat
  // columns among them by their headers.
  static constexpr int classColumn = 1;
  static constexpr int seatColumn = 2;
  static constexpr int nameColumn = 3;
  static constexpr int leadingColumns = 3;
  static constexpr int firstSubjectColumn = 4;
  static constexpr std::string_view classHeader = "班级";
  static constexpr std::string_view seatHeader = "座号";
  static constexpr std::string_view examNumberHeader = "考号";  // read as the seat column too
  static constexpr std::string_view nameHeader = "姓名";
  static constexpr std::string_view totalHeader = "总分";  // ends the subjects
  static constexpr std::string_view classRankHeader = "班排";
  static constexpr std::string_view schoolRankHeader = "校排";
  static constexpr std::string_view rawFullMarkLabel = "原始满分";
  // The loading adds these after the header texts; the plain lists end with them.
  static constexpr std::array<std::string_view, 3> addedHeaders = {totalHeader, classRankHeader,
                                                                   schoolRankHeader};
};

struct PropertySheetLayout {
  static constexpr std::string_view name = "属性表";
  static constexpr int subjectHeaderRow = 2;
  // Full mark, excellent, pass and low-score lines, one row each from here.
  static constexpr int fullMarkRow = 3;
  static constexpr int excellentRow = 4;
  static constexpr int passRow = 5;
  static constexpr int lowRow = 6;
  static constexpr int markLineRows = 4;
  static constexpr int weightHeaderRow = 8;
  // Weights of the composite scores, one row each.
  static constexpr int firstWeightRow = 9;
  static constexpr int weightRows = 7;
  // Column 1 of this row names the low rate in the reports.
  static constexpr int lowRateLabelRow = 12;
  static constexpr int classHeaderRow = 17;
  // One row per class from here: its name in column 1, its teachers after it.
  static constexpr int firstClassRow = 18;
  static constexpr int labelColumn = 1;
  // Subject j's settings stand in column j + 1; the total's after the last subject.
  static constexpr int firstSubjectColumn = 2;
};

struct ReportSheets {
  static constexpr std::string_view output = "输出表";
  static constexpr std::string_view classDetailed = "各班详细排名";
  static constexpr std::string_view classPlain = "各班排名表";
  static constexpr std::string_view gradePlain = "年级排名表";
  static constexpr std::string_view gradeDetailed = "年级详细排名";
  static constexpr std::string_view twoRates = "两率一分";
  static constexpr std::string_view completionRates = "完成率表";
  static constexpr std::string_view scoreBands = "分数段统计";
  static constexpr std::string_view rankBands = "名次段统计";
  // Written only when a run asks for them.
  static constexpr std::string_view nearLines = "临界生";
  static constexpr std::string_view scoreSegments = "一分一段表";
  static constexpr std::string_view progress = "进退步";
  static constexpr std::string_view progressSummary = "进退步汇总";
  static constexpr std::string_view slips = "成绩条";
};

// In the order a new workbook has them.
inline constexpr std::array<std::string_view, 9> kReportSheetNames = {
    ReportSheets::output,          ReportSheets::classDetailed, ReportSheets::classPlain,
    ReportSheets::gradePlain,      ReportSheets::gradeDetailed, ReportSheets::twoRates,
    ReportSheets::completionRates, ReportSheets::scoreBands,    ReportSheets::rankBands};

// The report sheets a run writes only when asked, after every other sheet of the result; a run
// that does not ask leaves them as they are.
inline constexpr std::array<std::string_view, 5> kAskedReportSheetNames = {
    ReportSheets::progress, ReportSheets::progressSummary, ReportSheets::nearLines,
    ReportSheets::scoreSegments, ReportSheets::slips};

inline constexpr std::string_view kMessageTitle = "Valdrex提示";

// kMessageTitle, or "kMessageTitle：topic".
inline std::string messageTitle(std::string_view topic = {}) {
  std::string title(kMessageTitle);
  if (!topic.empty()) title.append("：").append(topic);
  return title;
}

}  // namespace valdrex
