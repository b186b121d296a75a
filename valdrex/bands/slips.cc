#include "valdrex/bands/slips.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/bands/progress.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

using L = SlipSheetLayout;

struct Column {
  std::string header;
  int subject = 0;  // its score or level; 0 for the others
  enum Kind {
    info,
    score,
    level,
    classRank,
    gradeRank,
    totalChange,
    rankChange,
    levelBefore
  } kind = info;
};

std::vector<Column> slipColumns(const GradeBook& g, const SlipContent& content) {
  std::vector<Column> columns;
  for (int m = 1; m <= ScoreSheetLayout::leadingColumns; ++m)
    columns.push_back({g.headerTexts(m), m, Column::info});
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    const std::string name = g.headerTexts(g.firstSubjectColumn + j - 1);
    columns.push_back({name, j, Column::score});
    if (content.levels)
      columns.push_back({name + std::string(RankingSheetLayout::levelSuffix), j, Column::level});
  }
  if (!content.ranksHidden) {
    columns.push_back({"班级名次", 0, Column::classRank});
    columns.push_back({"年级名次", 0, Column::gradeRank});
  }
  if (content.earlier) {
    columns.push_back({"总分变化", 0, Column::totalChange});
    if (!content.ranksHidden) columns.push_back({"年级名次变化", 0, Column::rankChange});
    if (content.levels && content.earlierLevels)
      columns.push_back({"上次总分等级", 0, Column::levelBefore});
  }
  return columns;
}

// For each student of g, in class and sheet order, the earlier exam's student paired with them.
std::vector<std::optional<ExamStudent>> earlierOfEach(const GradeBook& g, const GradeBook& before) {
  const std::vector<ExamStudent> now = examStudents(g), then = examStudents(before);
  std::vector<std::optional<ExamStudent>> paired(now.size());
  for (const StudentPair& p : matchStudents(now, then).pairs) paired[p.now] = then[p.before];
  return paired;
}

}  // namespace

void writeSlips(const GradeBook& g, host::Worksheet& sh, const SlipContent& content) {
  sh.clear(sh.usedRange());
  const std::vector<Column> columns = slipColumns(g, content);
  const int total = g.subjectCount + 1;
  const bool sameFull =
      content.earlier &&
      content.earlier->markLines(1, content.earlier->subjectCount + 1) == g.markLines(1, total);
  std::vector<std::optional<ExamStudent>> earlier;
  if (content.earlier) earlier = earlierOfEach(g, *content.earlier);

  int slip = 0;
  std::size_t classStart = 0;  // students in class and sheet order, as examStudents lists them
  for (int k = 1; k <= g.classCount; classStart += g.classSizes(k), ++k)
    for (int s : studentsBySeat(g, k)) {
      const std::size_t student = classStart + static_cast<std::size_t>(s - 1);
      const int header = L::headerRow(slip), value = L::valueRow(slip++);
      const bool hasTotal = g.scores(k, s, total) >= 0;
      for (std::size_t c = 0; c < columns.size(); ++c) {
        const Column& col = columns[c];
        const int at = static_cast<int>(c) + 1;
        sh.setCell(header, at, col.header);
        Variant v;
        switch (col.kind) {
          case Column::info:
            v = Variant(g.studentInfo(k, s, col.subject));
            break;
          case Column::score:
            if (g.scores(k, s, col.subject) >= 0) v = Variant::single(g.scores(k, s, col.subject));
            break;
          case Column::level:
            v = Variant(std::string(content.levels->level(k, s, col.subject)));
            break;
          case Column::classRank:
            if (hasTotal) v = Variant::integer(g.classRanks(k, s, total));
            break;
          case Column::gradeRank:
            if (hasTotal) v = Variant::integer(g.schoolRanks(k, s, total));
            break;
          case Column::totalChange:
            if (student < earlier.size() && earlier[student] && earlier[student]->total &&
                hasTotal && sameFull)
              v = Variant::number(
                  (std::llround(double(g.scores(k, s, total)) * 10) - *earlier[student]->total) /
                  10.0);
            break;
          case Column::rankChange:
            if (student < earlier.size() && earlier[student] && hasTotal)
              if (auto change =
                      valdrex::rankChange(earlier[student]->gradeRank, g.schoolRanks(k, s, total)))
                v = Variant::long_(*change);
            break;
          case Column::levelBefore:
            if (student < earlier.size() && earlier[student])
              v = Variant(std::string(content.earlierLevels->level(
                  earlier[student]->classIndex, earlier[student]->studentIndex,
                  content.earlier->subjectCount + 1)));
            break;
        }
        sh.setCell(value, at, v);
      }
      addBorders(sh, indexArgument(header), indexArgument(1), indexArgument(value),
                 indexArgument(static_cast<int>(columns.size())));
    }
}

}  // namespace valdrex
