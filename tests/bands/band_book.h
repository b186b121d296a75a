// Grade books filled directly for the band tests, and a few sheet probes.
#pragma once

#include <string>
#include <vector>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/subject_ranking.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/host/variant.h"

namespace valdrex::testing {

// Scores of one class, per student and subject; kAbsent marks an absence.
using ClassScores = std::vector<std::vector<float>>;

// Subjects named 语文, 数学, ... with the given full marks (the total's full mark is their sum);
// classes "1班", "2班", ... Totals (as loading sums them), exam takers and ranks are filled in.
inline GradeBook bookOf(const std::vector<int16_t>& fullMarks,
                        const std::vector<ClassScores>& classes) {
  static const char* const kNames[] = {"语文", "数学", "英语", "物理", "化学", "生物"};
  GradeBook g;
  g.subjectCount = static_cast<int16_t>(fullMarks.size());
  g.firstSubjectColumn = 4;
  g.classCount = static_cast<int16_t>(classes.size());
  const int total = g.subjectCount + 1;
  int16_t totalMark = 0;
  for (int j = 1; j <= g.subjectCount; ++j) {
    g.headerTexts(g.firstSubjectColumn + j - 1) = kNames[j - 1];
    g.markLines(1, j) = fullMarks[j - 1];
    totalMark = static_cast<int16_t>(totalMark + fullMarks[j - 1]);
  }
  g.headerTexts(g.firstSubjectColumn + g.subjectCount) = "总分";
  g.markLines(1, total) = totalMark;
  for (int b = 1; b <= g.classCount; ++b) {
    const ClassScores& students = classes[b - 1];
    g.classNames(b) = std::to_string(b) + "班";
    g.classSizes(b) = static_cast<int16_t>(students.size());
    g.studentCount = static_cast<int16_t>(g.studentCount + students.size());
    for (int s = 1; s <= g.classSizes(b); ++s)
      for (int j = 1; j <= g.subjectCount; ++j) {
        const float v = students[s - 1][j - 1];
        g.scores(b, s, j) = v;
        if (v >= 0) {
          ++g.examineeCounts(b, j);
          g.scoreSums(b, j) += v;
        }
      }
  }
  sumTotals(g);
  for (int b = 1; b <= g.classCount; ++b)
    for (int s = 1; s <= g.classSizes(b); ++s)
      if (g.scores(b, s, total) >= 0) g.scoreSums(b, total) += g.scores(b, s, total);
  rankSubjects(g);
  return g;
}

inline std::string text(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col));
}

// The texts of columns from..to of row `row`, empty cells included.
inline std::vector<std::string> cellTexts(const host::Worksheet& sh, int row, int from, int to) {
  std::vector<std::string> out;
  for (int col = from; col <= to; ++col) out.push_back(text(sh, row, col));
  return out;
}

inline bool framed(const host::MemorySheet& sh, int row, int col) {
  const host::Cell* cell = sh.find(row, col);
  return cell && cell->format.borders == 0xF;
}

// Every cell of the block has all four borders, and the cells just outside its corners none.
inline bool gridExactly(const host::MemorySheet& sh, const host::Range& block) {
  for (int r = block.row1; r <= block.row2; ++r)
    for (int c = block.col1; c <= block.col2; ++c)
      if (!framed(sh, r, c)) return false;
  return !framed(sh, block.row1 - 1, block.col1) && !framed(sh, block.row2 + 1, block.col2) &&
         !framed(sh, block.row2, block.col2 + 1);
}

}  // namespace valdrex::testing
