// 进退步: the students of this exam paired with those of an earlier one, and what changed.
// Pairs by class and name; a name unique in both grades pairs across classes; an exam number
// unique in both pairs what is left when the names still share a character (a corrected name).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/gradebook/grade_book.h"

namespace valdrex {

// One student of an exam as the comparison reads it.
struct ExamStudent {
  int classIndex = 0, studentIndex = 0;  // in the grade book
  std::string className, name, examNumber;
  std::optional<int32_t> total;  // tenths; none for a student who sat no paper
  int classRank = 0, gradeRank = 0;
  std::vector<int> subjectRanks;  // grade rank per subject, 0 when absent
};

// The students of g in class and sheet order.
std::vector<ExamStudent> examStudents(const GradeBook& g);

// The students of class k (their indexes in the grade book) by seat, as lists sorted by class and
// seat have them: a seat that reads as a number by its value. What a list hands out without ranks
// goes in this order, so that neither a rank nor a score sheet sorted by score shows through.
std::vector<int> studentsBySeat(const GradeBook& g, int k);

struct StudentPair {
  int now = 0, before = 0;  // indexes into the two lists
  bool changedClass = false;
};

struct StudentMatching {
  std::vector<StudentPair> pairs;
  std::vector<int> onlyNow, onlyBefore;  // 本次新增, 本次缺少
  std::vector<std::string> findings;     // duplicate names, exam numbers not taken
};

StudentMatching matchStudents(const std::vector<ExamStudent>& now,
                              const std::vector<ExamStudent>& before);

// Whether two names have no character in common: an exam number joining them is not taken.
bool namesDifferEntirely(const std::string& a, const std::string& b);

// A rank change, earlier minus now (positive: moved up); none when either rank is missing.
std::optional<int> rankChange(int before, int now);

// Moved up by at least `step` grade ranks: 1; down by at least `step`: -1; else 0.
int progressDirection(int change, int step);

}  // namespace valdrex
