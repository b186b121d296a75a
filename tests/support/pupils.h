// A grade book filled as loading and ranking leave it, and sheet reading helpers, for report tests.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/subject_ranking.h"
#include "valdrex/host/worksheet.h"

namespace valdrex::testing {

struct Pupil {
  std::array<std::string, 3> info;           // the three leading columns
  std::vector<std::optional<float>> scores;  // nullopt: absent
};

// Classes numbered in order of first appearance in `classColumn`; totals and ranks computed.
inline std::unique_ptr<GradeBook> gradeBookOf(const std::vector<std::string>& subjects,
                                              const std::vector<Pupil>& pupils,
                                              int classColumn = 1) {
  auto g = std::make_unique<GradeBook>();
  std::vector<std::string> head = {"座号", "姓名"};
  head.insert(head.begin() + classColumn - 1, "班级");
  head.insert(head.end(), subjects.begin(), subjects.end());
  for (const char* s : {"总分", "班排", "校排"}) head.push_back(s);
  for (std::size_t i = 0; i < head.size(); ++i) g->headerTexts(i + 1) = head[i];
  g->headerRow = 3, g->classColumn = classColumn, g->firstSubjectColumn = 4,
  g->subjectCount = subjects.size();
  g->lastSubjectColumn = 3 + g->subjectCount;
  g->studentCount = pupils.size();
  for (const Pupil& p : pupils) {
    int c = 1;
    while (c <= g->classCount && g->classNames(c) != p.info[classColumn - 1]) ++c;
    if (c > g->classCount) g->classNames(++g->classCount) = p.info[classColumn - 1];
    int s = ++g->classSizes(c);
    for (int m = 1; m <= 3; ++m) g->studentInfo(c, s, m) = p.info[m - 1];
    for (int j = 1; j <= g->subjectCount; ++j) {
      g->scores(c, s, j) = p.scores.at(j - 1).value_or(kAbsent);
      if (p.scores[j - 1]) ++g->examineeCounts(c, j);
    }
  }
  sumTotals(*g);
  rankSubjects(*g);
  return g;
}

// The texts of cells (row, first) to (row, last).
inline std::vector<std::string> rowTexts(const host::Worksheet& sh, int row, int first, int last) {
  std::vector<std::string> out;
  for (int col = first; col <= last; ++col) out.push_back(textOf(sh.cell(row, col)));
  return out;
}

using Texts = std::vector<std::string>;

}  // namespace valdrex::testing
