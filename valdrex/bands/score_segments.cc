#include "valdrex/bands/score_segments.h"

#include <algorithm>
#include <cmath>

#include "valdrex/bands/sheet_frame.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/number_text.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

using L = SegmentSheetLayout;

// Scores are never negative, but a floor keeps a negative one in the step below it.
int32_t stepOf(int32_t tenths, int32_t step) {
  const int32_t q = tenths / step - (tenths % step < 0 ? 1 : 0);
  return q * step;
}

std::string tenthsText(int32_t tenths) { return doubleText(tenths / 10.0); }

}  // namespace

std::vector<ScoreSegment> scoreSegments(std::vector<ScoredStudent> students, int32_t step) {
  std::vector<ScoreSegment> rows;
  if (students.empty() || step <= 0) return rows;
  std::sort(students.begin(), students.end(),
            [](const ScoredStudent& a, const ScoredStudent& b) { return a.tenths > b.tenths; });
  const int total = static_cast<int>(students.size());
  int cumulative = 0;
  std::size_t next = 0;
  for (int32_t low = stepOf(students.front().tenths, step);
       low >= stepOf(students.back().tenths, step); low -= step) {
    ScoreSegment row{.low = low};
    for (; next < students.size() && students[next].tenths >= low; ++next) {
      const int rank = students[next].rank;
      row.bestRank = row.count == 0 ? rank : std::min(row.bestRank, rank);
      row.worstRank = row.count == 0 ? rank : std::max(row.worstRank, rank);
      ++row.count;
    }
    cumulative += row.count;
    row.cumulative = cumulative;
    row.percent = hundredths(cumulative * 10000.0 / total).value;
    rows.push_back(row);
  }
  return rows;
}

int64_t segmentCount(const std::vector<ScoredStudent>& students, int32_t step) {
  if (students.empty() || step <= 0) return 0;
  const auto [low, high] = std::minmax_element(
      students.begin(), students.end(),
      [](const ScoredStudent& a, const ScoredStudent& b) { return a.tenths < b.tenths; });
  return (int64_t{stepOf(high->tenths, step)} - stepOf(low->tenths, step)) / step + 1;
}

std::string segmentLabel(int32_t low, int32_t step) {
  if (step == 10 || step == 1) return tenthsText(low);
  return tenthsText(low) + "-" + tenthsText(low + step - 1);
}

std::string rankSpan(const ScoreSegment& segment) {
  if (segment.count == 0) return "";
  if (segment.bestRank == segment.worstRank) return std::to_string(segment.bestRank);
  return std::to_string(segment.bestRank) + "-" + std::to_string(segment.worstRank);
}

std::vector<ScoredStudent> scoredStudents(const GradeBook& g, int j) {
  std::vector<ScoredStudent> students;
  for (int c = 1; c <= g.classCount; ++c)
    for (int s = 1; s <= g.classSizes(c); ++s) {
      const float v = g.scores(c, s, j);
      if (!(v >= 0)) continue;  // absent
      students.push_back(
          {static_cast<int32_t>(std::llround(double(v) * 10)), g.schoolRanks(c, s, j)});
    }
  return students;
}

void writeScoreSegments(const GradeBook& g, host::Worksheet& sh, int32_t step, bool allSubjects,
                        host::Clock& clock, bool ranksHidden) {
  const int total = g.subjectCount + 1;
  std::vector<int> columns = {total};
  if (allSubjects)
    for (int j = 1; j <= g.subjectCount; ++j) columns.push_back(j);
  int64_t lastRow = L::firstNameRow;
  for (int j : columns)
    lastRow = L::nextNameRow(0, 0) + lastRow + segmentCount(scoredStudents(g, j), step);
  if (lastRow > L::lastRow)
    throw Failure(FailureKind::Overflow,
                  "一分一段表会超过 " + std::to_string(L::lastRow) + " 行，请把每段的分数调大");
  sh.clear(sh.usedRange());

  int nameRow = L::firstNameRow;
  for (int j : columns) {
    sh.setCell(nameRow, L::nameColumn,
               j == total ? std::string(ScoreSheetLayout::totalHeader)
                          : g.headerTexts(g.firstSubjectColumn + j - 1));
    for (int col = 1; col <= L::last; ++col)
      sh.setCell(L::headerRow(nameRow), col, std::string(kSegmentHeader[col - 1]));
    const std::vector<ScoreSegment> rows = scoreSegments(scoredStudents(g, j), step);
    for (std::size_t k = 0; k < rows.size(); ++k) {
      const int r = L::stepRow(nameRow, static_cast<int>(k) + 1);
      sh.setCell(r, L::step, segmentLabel(rows[k].low, step));
      sh.setCell(r, L::count, Variant::long_(rows[k].count));
      sh.setCell(r, L::cumulative, Variant::long_(rows[k].cumulative));
      sh.setCell(r, L::percent, Variant::number(rows[k].percent));
      if (!ranksHidden) sh.setCell(r, L::ranks, rankSpan(rows[k]));
    }
    const int steps = static_cast<int>(rows.size());
    addBorders(sh, indexArgument(L::headerRow(nameRow)), indexArgument(1),
               indexArgument(L::stepRow(nameRow, steps)), indexArgument(L::last));
    nameRow = L::nextNameRow(nameRow, steps);
  }
  sh.setCell(nameRow - 1, L::nameColumn,
             "注：累计百分比=累计人数÷该科有成绩的人数；位次是这一段学生的年级名次；"
             "缺考的学生不计。");

  writeDatedTitleRow(sh, L::last + 1, clock);
  sh.setCell(ReportTitleLayout::row, ReportTitleLayout::firstColumn,
             std::string(ReportSheets::scoreSegments));
}

}  // namespace valdrex
