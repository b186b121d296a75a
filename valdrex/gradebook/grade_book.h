// The grade book of one automation object: what loading finds on the score sheet and the fixed
// tables that loading fills and every report reads. Sized once; nothing resizes it. Slot 0 of every
// table exists and carries no data, except classNames[0] (always "") and classSizes[0] (students of
// no class).
#pragma once

#include <cstdint>
#include <string>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/gradebook/table.h"

namespace valdrex {

inline constexpr int kClassSlots = ModelLimits::classes + 1;
inline constexpr int kStudentSlots = ModelLimits::studentsPerClass + 1;
inline constexpr int kSubjectSlots = ModelLimits::subjectSlots;
inline constexpr int kStudentSubjectSlots = ModelLimits::studentSubjectSlots;
static_assert(kStudentSubjectSlots >= ModelLimits::subjectColumns + 2,
              "every subject the layout scan accepts, and the total, fit a student's row");

struct GradeBook {
  // What loading finds; the automation interface shows them as its historical properties.
  int16_t studentCount = 0;        // student rows on the score sheet
  int16_t classCount = 0;          // classes found
  int16_t teacherCount = 0;        // kept for the host only
  int16_t headerRow = 0;           // header row of the score sheet
  int16_t classColumn = 0;         // column headed "班级", 0 when absent
  int16_t seatColumn = 0;          // column headed "座号" or "考号", 0 when absent
  int16_t firstSubjectColumn = 0;  // first subject column
  int16_t lastSubjectColumn = 0;   // last subject column
  int16_t subjectCount = 0;        // number of subjects; subject subjectCount + 1 is the total

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
  // "两率一分" has a low rate column only when the property sheet names it so.
  bool hasLowRate() const { return lowRateLabel == "低分率"; }
  Table1<std::string, kClassSlots> classNames;
  Table1<int16_t, kClassSlots> classSizes;
  // [class][student][score sheet column]
  Table3<std::string, kClassSlots, kStudentSlots, ModelLimits::studentInfoColumns + 1> studentInfo;
  // [class][student][subject]; -0.001 marks an absent score
  Table3<float, kClassSlots, kStudentSlots, kStudentSubjectSlots> scores;
  Table3<int16_t, kClassSlots, kStudentSlots, kStudentSubjectSlots> classRanks;
  Table3<int16_t, kClassSlots, kStudentSlots, kStudentSubjectSlots> schoolRanks;
  // [property sheet class row][subject]
  Table2<std::string, ModelLimits::teacherRows + 1, kSubjectSlots> teacherNames;
};

inline constexpr float kAbsent = -0.001f;

}  // namespace valdrex
