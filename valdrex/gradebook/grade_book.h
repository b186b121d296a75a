// The record of one automation object: the public properties and the fixed tables that loading
// fills and every report reads. Sized once; nothing resizes it. Slot 0 of every table exists and
// carries no data, except classNames[0] (always "") and classSizes[0] (students of no class).
#pragma once

#include <cstdint>
#include <string>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/gradebook/table.h"

namespace valdrex {

inline constexpr int kClassSlots = ModelLimits::classes + 1;
inline constexpr int kStudentSlots = ModelLimits::studentsPerClass + 1;
inline constexpr int kSubjectSlots = ModelLimits::subjectSlots;

struct GradeBook {
  // Public properties, readable and writable by the host.
  int16_t 总人数 = 0;  // student rows on the score sheet
  int16_t 班级数 = 0;  // classes found
  int16_t 教师数 = 0;  // kept for the host only
  int16_t bjhh = 0;    // header row of the score sheet
  int16_t bjlh = 0;    // column headed "班级", 0 when absent
  int16_t zhlh = 0;    // column headed "座号" or "考号", 0 when absent
  int16_t kmcl = 0;    // first subject column
  int16_t kmwl = 0;    // last subject column
  int16_t km = 0;      // number of subjects; subject km + 1 is the total
  int32_t t = 0;       // working value of every rounding; keeps the last one

  // [class][subject]
  Table2<int16_t, kClassSlots, kSubjectSlots> examineeCounts;
  Table2<int16_t, kClassSlots, kSubjectSlots> passCounts;
  Table2<int16_t, kClassSlots, kSubjectSlots> excellentCounts;
  Table2<int16_t, kClassSlots, kSubjectSlots> lowCounts;
  Table2<double, kClassSlots, kSubjectSlots> scoreSums;
  // Score sheet header text by column.
  Table1<std::string, ModelLimits::headerTexts + 1> headerTexts;
  // [1 full, 2 excellent, 3 pass, 4 low-score][subject]
  Table2<int16_t, PropertySheetLayout::markLineRows + 1, kSubjectSlots> markLines;
  // [property sheet row - 8][subject]
  Table2<float, PropertySheetLayout::weightRows + 1, kSubjectSlots> weights;
  std::string lowRateLabel;
  Table1<std::string, kClassSlots> classNames;
  Table1<int16_t, kClassSlots> classSizes;
  // [class][student][score sheet column]
  Table3<std::string, kClassSlots, kStudentSlots, ModelLimits::studentInfoColumns + 1> studentInfo;
  // [class][student][subject]; -0.001 marks an absent score
  Table3<float, kClassSlots, kStudentSlots, 17> scores;
  Table3<int16_t, kClassSlots, kStudentSlots, 17> classRanks;
  Table3<int16_t, kClassSlots, kStudentSlots, 17> schoolRanks;
  // [property sheet class row][subject]
  Table2<std::string, ModelLimits::teacherRows + 1, kSubjectSlots> teacherNames;
};

inline constexpr float kAbsent = -0.001f;

}  // namespace valdrex
