#include "valdrex/bands/progress_sheets.h"

#include <algorithm>

#include "valdrex/bands/progress.h"
#include "valdrex/bands/sheet_frame.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/number_text.h"
#include "valdrex/reports/formatting.h"

namespace valdrex {

namespace {

using L = ProgressSheetLayout;
using S = ProgressSummaryLayout;

std::string subjectName(const GradeBook& g, int j) {
  return g.headerTexts(g.firstSubjectColumn + j - 1);
}

// The subjects of both exams, by name, in this exam's order: (j now, j before).
std::vector<std::pair<int, int>> commonSubjects(const GradeBook& now, const GradeBook& before) {
  std::vector<std::pair<int, int>> out;
  for (int j = 1; j <= now.subjectCount; ++j)
    for (int k = 1; k <= before.subjectCount; ++k)
      if (subjectName(now, j) == subjectName(before, k)) {
        out.emplace_back(j, k);
        break;
      }
  return out;
}

Variant rankCell(int rank) { return rank > 0 ? Variant::long_(rank) : Variant(); }
Variant changeCell(const std::optional<int>& change) {
  return change ? Variant::long_(*change) : Variant();
}
Variant tenthsCell(const std::optional<int32_t>& t) {
  return t ? Variant::number(*t / 10.0) : Variant();
}
double twoDecimals(double x) { return hundredths(x * 100).value; }

bool sameTotalFullMark(const GradeBook& now, const GradeBook& before) {
  return now.markLines(1, now.subjectCount + 1) == before.markLines(1, before.subjectCount + 1);
}

// A titled list of students of one exam: class, exam number, name.
int writeList(host::Worksheet& sh, int row, const std::string& title,
              const std::vector<ExamStudent>& students, const std::vector<int>& which) {
  sh.setCell(row, L::className, title);
  const int header = row + 1;
  sh.setCell(header, L::className, "班级");
  sh.setCell(header, L::examNumber, std::string(ScoreSheetLayout::examNumberHeader));
  sh.setCell(header, L::studentName, std::string(ScoreSheetLayout::nameHeader));
  int r = header;
  for (int i : which) {
    ++r;
    sh.setCell(r, L::className, students[i].className);
    sh.setCell(r, L::examNumber, students[i].examNumber);
    sh.setCell(r, L::studentName, students[i].name);
  }
  if (which.empty()) sh.setCell(++r, L::className, "（没有）");
  addBorders(sh, indexArgument(header), indexArgument(L::className), indexArgument(r),
             indexArgument(L::studentName));
  return r + L::gap + 1;
}

}  // namespace

std::vector<std::string> writeProgress(const GradeBook& now, const GradeBook& before,
                                       host::Worksheet& sh, host::Clock& clock, bool ranksHidden,
                                       const LevelScheme* levels) {
  sh.clear(sh.usedRange());
  const std::vector<ExamStudent> a = examStudents(now), b = examStudents(before);
  StudentMatching m = matchStudents(a, b);
  // By class, then this exam's grade rank; who sat no paper after the ranked, in sheet order.
  // Without ranks, by class and seat.
  std::vector<int> seatPlace(a.size());
  if (ranksHidden) {
    std::size_t classStart = 0;
    for (int k = 1; k <= now.classCount; classStart += now.classSizes(k), ++k) {
      int place = 0;
      for (int s : studentsBySeat(now, k)) seatPlace[classStart + s - 1] = place++;
    }
  }
  std::stable_sort(m.pairs.begin(), m.pairs.end(), [&](const StudentPair& x, const StudentPair& y) {
    const ExamStudent &p = a[x.now], &q = a[y.now];
    if (p.classIndex != q.classIndex) return p.classIndex < q.classIndex;
    if (ranksHidden) return seatPlace[x.now] < seatPlace[y.now];
    if ((p.gradeRank == 0) != (q.gradeRank == 0)) return q.gradeRank == 0;
    return p.gradeRank < q.gradeRank;
  });
  const auto subjects = commonSubjects(now, before);
  const int width = L::width(static_cast<int>(subjects.size()), levels != nullptr);
  const bool sameFull = sameTotalFullMark(now, before);

  const char* const header[] = {"班级",         "考号",         "姓名",         "上次总分",
                                "本次总分",     "总分变化",     "上次班级名次", "本次班级名次",
                                "班级名次变化", "上次年级名次", "本次年级名次", "年级名次变化"};
  for (int col = 1; col <= L::gradeRankChange; ++col)
    sh.setCell(L::headerRow, col, std::string(header[col - 1]));
  for (std::size_t k = 0; k < subjects.size(); ++k)
    sh.setCell(L::headerRow, L::subjectChange(static_cast<int>(k) + 1),
               subjectName(now, subjects[k].first) + "名次变化");

  std::optional<StudentLevels> levelsNow, levelsBefore;
  const int subjectsCompared = static_cast<int>(subjects.size());
  if (levels) {
    levelsNow.emplace(now, *levels);
    levelsBefore.emplace(before, *levels);
    sh.setCell(L::headerRow, L::levelBefore(subjectsCompared), "上次总分等级");
    sh.setCell(L::headerRow, L::levelNow(subjectsCompared), "本次总分等级");
  }
  int r = L::headerRow;
  for (const StudentPair& p : m.pairs) {
    const ExamStudent &x = a[p.now], &y = b[p.before];
    ++r;
    sh.setCell(r, L::className, x.className);
    sh.setCell(r, L::examNumber, x.examNumber);
    sh.setCell(r, L::studentName, x.name);
    sh.setCell(r, L::totalBefore, tenthsCell(y.total));
    sh.setCell(r, L::totalNow, tenthsCell(x.total));
    if (sameFull && x.total && y.total)
      sh.setCell(r, L::totalChange, Variant::number((*x.total - *y.total) / 10.0));
    if (levels) {
      const int total = now.subjectCount + 1, totalBefore = before.subjectCount + 1;
      sh.setCell(r, L::levelBefore(subjectsCompared),
                 std::string(levelsBefore->level(y.classIndex, y.studentIndex, totalBefore)));
      sh.setCell(r, L::levelNow(subjectsCompared),
                 std::string(levelsNow->level(x.classIndex, x.studentIndex, total)));
    }
    if (ranksHidden) continue;
    sh.setCell(r, L::classRankBefore, rankCell(y.classRank));
    sh.setCell(r, L::classRankNow, rankCell(x.classRank));
    if (!p.changedClass)
      sh.setCell(r, L::classRankChange, changeCell(rankChange(y.classRank, x.classRank)));
    sh.setCell(r, L::gradeRankBefore, rankCell(y.gradeRank));
    sh.setCell(r, L::gradeRankNow, rankCell(x.gradeRank));
    sh.setCell(r, L::gradeRankChange, changeCell(rankChange(y.gradeRank, x.gradeRank)));
    for (std::size_t k = 0; k < subjects.size(); ++k)
      sh.setCell(r, L::subjectChange(static_cast<int>(k) + 1),
                 changeCell(rankChange(y.subjectRanks[subjects[k].second - 1],
                                       x.subjectRanks[subjects[k].first - 1])));
  }
  addBorders(sh, indexArgument(L::headerRow), indexArgument(L::className), indexArgument(r),
             indexArgument(width));

  int row = L::firstListRow(r - L::headerRow);
  row = writeList(sh, row, "本次新增（上次没有的学生）", a, m.onlyNow);
  row = writeList(sh, row, "本次缺少（上次有、本次没有的学生）", b, m.onlyBefore);
  for (const std::string& f : m.findings) sh.setCell(row++, L::className, "注意：" + f);
  sh.setCell(row, L::className,
             "注：名次变化=上次名次−本次名次，正数是进步；总分变化=本次总分−上次总分；"
             "转了班的学生没有班级名次变化；有一次没有总分的学生没有变化。");

  if (ranksHidden)
    sh.setCell(L::noteRow, L::className,
               "这次统计不公布名次：名次和名次变化都空着，学生按班级和成绩表的顺序排列。");
  else if (!sameFull)
    sh.setCell(L::noteRow, L::className,
               "两次考试总分的满分不同（上次 " +
                   std::to_string(before.markLines(1, before.subjectCount + 1)) + "，本次 " +
                   std::to_string(now.markLines(1, now.subjectCount + 1)) +
                   "），总分不能直接相减，总分变化空着。");
  writeDatedTitleRow(sh, width + 1, clock);
  sh.setCell(ReportTitleLayout::row, ReportTitleLayout::firstColumn,
             std::string(ReportSheets::progress));
  return m.findings;
}

void writeProgressSummary(const GradeBook& now, const GradeBook& before, host::Worksheet& sh,
                          int step, host::Clock& clock) {
  sh.clear(sh.usedRange());
  const std::vector<ExamStudent> a = examStudents(now), b = examStudents(before);
  const StudentMatching m = matchStudents(a, b);
  const auto subjects = commonSubjects(now, before);
  const int width = S::width(static_cast<int>(subjects.size()));
  const int classes = now.classCount;

  const char* const header[] = {"班级",     "匹配人数", "进步人数",
                                "退步人数", "持平人数", "平均年级名次变化"};
  for (int col = 1; col <= S::averageRankChange; ++col)
    sh.setCell(S::headerRow, col, std::string(header[col - 1]));
  for (std::size_t k = 0; k < subjects.size(); ++k)
    sh.setCell(S::headerRow, S::subjectAverageChange(static_cast<int>(k) + 1),
               subjectName(now, subjects[k].first) + "平均分变化");

  // Class k's counts, or the grade's for k = 0.
  auto writeRow = [&](int row, int k) {
    int32_t matched = 0, up = 0, down = 0, level = 0, changes = 0;
    double changeSum = 0;
    for (const StudentPair& p : m.pairs) {
      if (k != 0 && a[p.now].classIndex != k) continue;
      ++matched;
      const auto change = rankChange(b[p.before].gradeRank, a[p.now].gradeRank);
      if (!change) continue;
      ++changes;
      changeSum += *change;
      const int d = progressDirection(*change, step);
      (d > 0 ? up : d < 0 ? down : level) += 1;
    }
    sh.setCell(row, S::className, k == 0 ? std::string("合计") : now.classNames(k));
    sh.setCell(row, S::matched, Variant::long_(matched));
    sh.setCell(row, S::upward, Variant::long_(up));
    sh.setCell(row, S::downward, Variant::long_(down));
    sh.setCell(row, S::level, Variant::long_(level));
    if (changes > 0)
      sh.setCell(row, S::averageRankChange, Variant::number(twoDecimals(changeSum / changes)));
    // The class of the same name in the earlier exam; the grade against the grade.
    int earlier = 0;
    if (k != 0) {
      for (int c = 1; c <= before.classCount; ++c)
        if (before.classNames(c) == now.classNames(k)) earlier = c;
      if (earlier == 0) return;
    }
    auto average = [](const GradeBook& g, int c, int j) -> std::optional<double> {
      double sum = 0;
      int32_t count = 0;
      for (int x = c == 0 ? 1 : c; x <= (c == 0 ? g.classCount : c); ++x) {
        sum += g.scoreSums(x, j);
        count += g.examineeCounts(x, j);
      }
      if (count <= 0) return std::nullopt;
      return twoDecimals(sum / count);
    };
    for (std::size_t s = 0; s < subjects.size(); ++s) {
      const auto x = average(now, k, subjects[s].first);
      const auto y = average(before, earlier, subjects[s].second);
      if (x && y)
        sh.setCell(row, S::subjectAverageChange(static_cast<int>(s) + 1),
                   Variant::number(twoDecimals(*x - *y)));
    }
  };
  for (int k = 1; k <= classes; ++k) writeRow(S::classRow(k), k);
  writeRow(S::totalRow(classes), 0);
  addBorders(sh, indexArgument(S::headerRow), indexArgument(S::className),
             indexArgument(S::totalRow(classes)), indexArgument(width));
  sh.setCell(S::totalRow(classes) + 1, S::className,
             "注：年级名次上升 " + std::to_string(step) + " 名或更多算进步，下降 " +
                 std::to_string(step) +
                 " 名或更多算退步，其余算持平；平均分变化=本次班级平均分−上次同名班级平均分。");
  writeDatedTitleRow(sh, width + 1, clock);
  sh.setCell(ReportTitleLayout::row, ReportTitleLayout::firstColumn,
             std::string(ReportSheets::progressSummary));
}

}  // namespace valdrex
