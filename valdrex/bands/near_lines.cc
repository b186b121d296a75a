#include "valdrex/bands/near_lines.h"

#include <algorithm>
#include <cmath>

#include "valdrex/bands/sheet_frame.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/number_text.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

using L = NearSheetLayout;

std::string tenthsText(int32_t tenths) { return doubleText(tenths / 10.0); }

// "第21-22名", or "第21名" for one rank.
std::string ranksText(int first, int last) {
  return "第" + std::to_string(first) + (first == last ? "" : "-" + std::to_string(last)) + "名";
}

std::string subjectName(const GradeBook& g, int j) {
  if (j == g.subjectCount + 1) return std::string(ScoreSheetLayout::totalHeader);
  return g.headerTexts(g.firstSubjectColumn + j - 1);
}

// The leading column headed "姓名", else the last leading column.
int nameColumn(const GradeBook& g) {
  for (int k = 1; k < g.firstSubjectColumn; ++k)
    if (g.headerTexts(k) == ScoreSheetLayout::nameHeader) return k;
  return g.firstSubjectColumn - 1;
}

void sortByClass(std::vector<NearStudent>& students) {
  std::stable_sort(students.begin(), students.end(),
                   [](const NearStudent& a, const NearStudent& b) {
                     if (a.classIndex != b.classIndex) return a.classIndex < b.classIndex;
                     return a.distance < b.distance;
                   });
}

template <class Take>
std::vector<NearStudent> gather(const GradeBook& g, int j, Take take) {
  std::vector<NearStudent> out;
  for (int c = 1; c <= g.classCount; ++c)
    for (int s = 1; s <= g.classSizes(c); ++s)
      if (auto found = take(c, s, g.scores(c, s, j))) out.push_back(*found);
  sortByClass(out);
  return out;
}

constexpr int kExcellentRow = 2, kPassRow = 3;  // of markLines
constexpr std::pair<int, std::string_view> kLines[] = {{kExcellentRow, "优秀线"},
                                                       {kPassRow, "及格线"}};

bool hasLists(const GradeBook& g, int j, int lineRow) {
  return g.markLines(lineRow, j) > 0 && g.markLines(1, j) > 0;
}

void addLineLists(const GradeBook& g, int j, int lineRow, std::string_view lineName, double percent,
                  std::vector<NearList>& lists) {
  if (!hasLists(g, j, lineRow)) return;
  const int full = g.markLines(1, j);
  const int line = g.markLines(lineRow, j);
  const ScoreLine l{line * 10, marginTenths(full, percent)};
  const std::string subject = subjectName(g, j);
  auto scoreOf = [](float v) { return static_cast<int32_t>(std::llround(double(v) * 10)); };

  NearList below{subject + "：差一点到" + std::string(lineName) + "（" +
                     tenthsText(l.line - l.margin) + "≤分数<" + tenthsText(l.line) + "）",
                 false,
                 true,
                 {}};
  below.students = gather(g, j, [&](int c, int s, float v) -> std::optional<NearStudent> {
    if (!(v >= 0) || !justBelowLine(l, scoreOf(v))) return std::nullopt;
    return NearStudent{c, s, scoreOf(v), l.line - scoreOf(v)};
  });
  lists.push_back(std::move(below));

  NearList above{subject + "：刚过" + std::string(lineName) + "（" + tenthsText(l.line) + "≤分数<" +
                     tenthsText(l.line + l.margin) + "）",
                 false,
                 false,
                 {}};
  above.students = gather(g, j, [&](int c, int s, float v) -> std::optional<NearStudent> {
    if (!(v >= 0) || !justAboveLine(l, scoreOf(v))) return std::nullopt;
    return NearStudent{c, s, scoreOf(v), scoreOf(v) - l.line};
  });
  lists.push_back(std::move(above));
}

void addTierLists(const GradeBook& g, int size, std::string_view tierName,
                  std::vector<NearList>& lists) {
  const int total = g.subjectCount + 1;
  const int w = tierWindow(size);
  const std::string name = std::string(tierName) + "前" + std::to_string(size) + "名";
  NearList below{
      "总分：差一点进" + name + "（" + ranksText(size + 1, size + w) + "）", true, true, {}};
  below.students = gather(g, total, [&](int c, int s, float v) -> std::optional<NearStudent> {
    const int rank = g.schoolRanks(c, s, total);
    if (!(v >= 0) || !justOutsideTier(size, rank)) return std::nullopt;
    return NearStudent{c, s, rank, rank - size};
  });
  lists.push_back(std::move(below));

  NearList above{"总分：" + name + "的最后" + std::to_string(w) + "名（" +
                     ranksText(std::max(size - w + 1, 1), size) + "）",
                 true,
                 false,
                 {}};
  above.students = gather(g, total, [&](int c, int s, float v) -> std::optional<NearStudent> {
    const int rank = g.schoolRanks(c, s, total);
    if (!(v >= 0) || !lastInsideTier(size, rank)) return std::nullopt;
    return NearStudent{c, s, rank, size - rank};
  });
  lists.push_back(std::move(above));
}

void listsOf(const GradeBook& g, int j, double percent, std::vector<NearList>& lists) {
  for (const auto& [row, name] : kLines) addLineLists(g, j, row, name, percent, lists);
}

}  // namespace

std::vector<std::string> linesWithoutLists(const GradeBook& g) {
  std::vector<std::string> out;
  for (int j = 1; j <= g.subjectCount + 1; ++j)
    for (const auto& [row, name] : kLines)
      if (!hasLists(g, j, row)) out.push_back(subjectName(g, j) + std::string(name));
  return out;
}

int32_t marginTenths(int fullMark, double percent) {
  return tenths(double(fullMark) * percent / 10).working;
}

bool justBelowLine(const ScoreLine& l, int32_t score) {
  return score >= l.line - l.margin && score < l.line;
}

bool justAboveLine(const ScoreLine& l, int32_t score) {
  return score >= l.line && score < l.line + l.margin;
}

int tierWindow(int size) { return std::max(1, (size + 9) / 10); }

bool justOutsideTier(int size, int rank) { return rank > size && rank <= size + tierWindow(size); }

bool lastInsideTier(int size, int rank) {
  return rank >= 1 && rank <= size && rank > size - tierWindow(size);
}

std::vector<NearList> nearLists(const GradeBook& g, const std::optional<CompletionTargets>& targets,
                                double marginPercent) {
  std::vector<NearList> lists;
  const int total = g.subjectCount + 1;
  listsOf(g, total, marginPercent, lists);
  if (targets) {
    addTierLists(g, g.classCount * targets->first, "一档", lists);
    addTierLists(g, g.classCount * targets->second, "二档", lists);
  }
  for (int j = 1; j <= g.subjectCount; ++j) listsOf(g, j, marginPercent, lists);
  return lists;
}

void writeNearLines(const GradeBook& g, host::Worksheet& sh, const std::vector<NearList>& lists,
                    double marginPercent, host::Clock& clock) {
  sh.clear(sh.usedRange());
  const int classes = g.classCount;
  const int lastList = static_cast<int>(lists.size());

  // The count table.
  sh.setCell(L::countNameRow, L::listColumn, "各班人数");
  sh.setCell(L::countHeaderRow, L::listColumn, "名单");
  for (int c = 1; c <= classes; ++c)
    sh.setCell(L::countHeaderRow, L::countClassColumn(c), g.classNames(c));
  sh.setCell(L::countHeaderRow, L::countSumColumn(classes), "合计");
  for (int k = 1; k <= lastList; ++k) {
    const NearList& list = lists[k - 1];
    sh.setCell(L::countRow(k), L::listColumn, list.title);
    for (int c = 1; c <= classes; ++c) {
      const auto n = std::count_if(list.students.begin(), list.students.end(),
                                   [c](const NearStudent& st) { return st.classIndex == c; });
      sh.setCell(L::countRow(k), L::countClassColumn(c), Variant::long_(static_cast<int32_t>(n)));
    }
    sh.setCell(L::countRow(k), L::countSumColumn(classes),
               Variant::long_(static_cast<int32_t>(list.students.size())));
  }
  addBorders(sh, indexArgument(L::countHeaderRow), indexArgument(L::listColumn),
             indexArgument(L::countRow(lastList)), indexArgument(L::countSumColumn(classes)));

  // The lists.
  const int name = nameColumn(g);
  int titleRow = L::firstTitleRow(lastList);
  for (const NearList& list : lists) {
    sh.setCell(titleRow, L::className, list.title);
    const int header = L::headerRow(titleRow);
    sh.setCell(header, L::className, "班级");
    sh.setCell(header, L::studentName, std::string(ScoreSheetLayout::nameHeader));
    sh.setCell(header, L::value, list.byRank ? "年级名次" : "分数");
    sh.setCell(header, L::distance,
               list.byRank ? (list.below ? "差名次" : "余名次") : (list.below ? "差分" : "超分"));
    int row = 0;
    for (const NearStudent& st : list.students) {
      const int r = L::studentRow(titleRow, ++row);
      sh.setCell(r, L::className, g.classNames(st.classIndex));
      sh.setCell(r, L::studentName, g.studentInfo(st.classIndex, st.student, name));
      if (list.byRank) {
        sh.setCell(r, L::value, Variant::long_(st.value));
        sh.setCell(r, L::distance, Variant::long_(st.distance));
      } else {
        sh.setCell(r, L::value, Variant::number(st.value / 10.0));
        sh.setCell(r, L::distance, Variant::number(st.distance / 10.0));
      }
    }
    if (row == 0) sh.setCell(L::studentRow(titleRow, ++row), L::className, "（没有）");
    addBorders(sh, indexArgument(header), indexArgument(L::className),
               indexArgument(L::studentRow(titleRow, row)), indexArgument(L::listWidth));
    titleRow = L::nextTitleRow(titleRow, row);
  }
  sh.setCell(titleRow - 1, L::className,
             "注：线旁的范围为各科满分的" + doubleText(marginPercent) +
                 "%；差分=线−分数，超分=分数−线；一档、二档的范围为档内人数的10%（进一，至少1名），"
                 "差名次=名次−档内人数，余名次=档内人数−名次；缺考的学生不计。");

  const int width = std::max(L::countWidth(classes), L::listWidth);
  writeDatedTitleRow(sh, width + 1, clock);
  sh.setCell(ReportTitleLayout::row, ReportTitleLayout::firstColumn,
             std::string(ReportSheets::nearLines));
}

}  // namespace valdrex
