// Grades of a chosen size for the benchmarks, and one statistics run over them.
#pragma once

#include <memory>
#include <string>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::bench {

inline constexpr int kStudents = 100;
inline constexpr int kSubjects = 12;

// A sample grade of `classes` classes of 100 students in 12 subjects (a few absences), with a
// filled property sheet and empty report sheets, so the band sheets use their default bands.
std::unique_ptr<host::MemoryWorkbook> gradeWorkbook(int classes);

// 输出 on the workbook's score sheet, the targets answered with 5 and 20 and the date fixed.
void runStatistics(GradeBook& g, host::MemoryWorkbook& wb);

// A file name in the temporary folder, unique to this process.
std::string tempPath(const std::string& name);

}  // namespace valdrex::bench
