#include "valdrex/bands/progress.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/number_text.h"
#include "valdrex/host/utf8.h"

namespace valdrex {

namespace {

int leadingColumnOf(const GradeBook& g, std::string_view header) {
  for (int k = 1; k < g.firstSubjectColumn; ++k)
    if (g.headerTexts(k) == header) return k;
  return 0;
}

std::set<char32_t> charactersOf(const std::string& s) {
  std::set<char32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    const utf8::Char ch = utf8::decode(s, i);
    out.insert(ch.cp);
    i += ch.size;
  }
  return out;
}

template <class Key>
std::map<Key, std::vector<int>> indexBy(const std::vector<ExamStudent>& list,
                                        Key (*key)(const ExamStudent&)) {
  std::map<Key, std::vector<int>> out;
  for (int i = 0; i < static_cast<int>(list.size()); ++i) out[key(list[i])].push_back(i);
  return out;
}

// The keys found exactly once in each exam, with the student each names there.
template <class Key>
std::vector<std::tuple<Key, int, int>> onceInEach(const std::map<Key, std::vector<int>>& now,
                                                  const std::map<Key, std::vector<int>>& before) {
  std::vector<std::tuple<Key, int, int>> out;
  for (const auto& [key, list] : now) {
    auto found = before.find(key);
    if (list.size() == 1 && found != before.end() && found->second.size() == 1)
      out.emplace_back(key, list[0], found->second[0]);
  }
  return out;
}

std::pair<std::string, std::string> classAndName(const ExamStudent& s) {
  return {s.className, s.name};
}
std::string nameOf(const ExamStudent& s) { return s.name; }
std::string numberOf(const ExamStudent& s) { return s.examNumber; }

}  // namespace

std::vector<ExamStudent> examStudents(const GradeBook& g) {
  const int total = g.subjectCount + 1;
  int name = leadingColumnOf(g, ScoreSheetLayout::nameHeader);
  if (name == 0) name = g.firstSubjectColumn - 1;
  const int number = leadingColumnOf(g, ScoreSheetLayout::examNumberHeader);
  std::vector<ExamStudent> out;
  for (int c = 1; c <= g.classCount; ++c)
    for (int s = 1; s <= g.classSizes(c); ++s) {
      ExamStudent st;
      st.classIndex = c;
      st.studentIndex = s;
      st.className = g.classNames(c);
      st.name = g.studentInfo(c, s, name);
      if (number > 0) st.examNumber = g.studentInfo(c, s, number);
      const float v = g.scores(c, s, total);
      if (v >= 0) {
        st.total = static_cast<int32_t>(std::llround(double(v) * 10));
        st.classRank = g.classRanks(c, s, total);
        st.gradeRank = g.schoolRanks(c, s, total);
      }
      for (int j = 1; j <= g.subjectCount; ++j)
        st.subjectRanks.push_back(g.scores(c, s, j) >= 0 ? g.schoolRanks(c, s, j) : 0);
      out.push_back(std::move(st));
    }
  return out;
}

bool namesDifferEntirely(const std::string& a, const std::string& b) {
  const std::set<char32_t> ca = charactersOf(a);
  for (char32_t c : charactersOf(b))
    if (ca.count(c)) return false;
  return true;
}

std::optional<int> rankChange(int before, int now) {
  if (before <= 0 || now <= 0) return std::nullopt;
  return before - now;
}

int progressDirection(int change, int step) {
  if (change >= step) return 1;
  if (change <= -step) return -1;
  return 0;
}

std::vector<int> studentsBySeat(const GradeBook& g, int k) {
  std::vector<int> order(static_cast<std::size_t>(g.classSizes(k)));
  std::iota(order.begin(), order.end(), 1);
  auto seat = [&](int s) {
    const std::string& typed = g.studentInfo(k, s, ScoreSheetLayout::seatColumn);
    const std::optional<double> number = typedNumber(typed);
    return number ? Variant::number(*number) : Variant::text(typed);
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return compareValues(seat(a), seat(b)) < 0; });
  return order;
}

StudentMatching matchStudents(const std::vector<ExamStudent>& now,
                              const std::vector<ExamStudent>& before) {
  StudentMatching m;
  std::vector<bool> takenNow(now.size()), takenBefore(before.size());
  auto pair = [&](int i, int k) {
    takenNow[i] = takenBefore[k] = true;
    m.pairs.push_back({i, k, now[i].className != before[k].className});
  };

  // Class and name, each once in its class in both exams.
  const auto byClassNow = indexBy(now, classAndName);
  const auto byClassBefore = indexBy(before, classAndName);
  std::set<std::pair<std::string, std::string>> duplicates;
  for (const auto* index : {&byClassNow, &byClassBefore})
    for (const auto& [key, list] : *index)
      if (list.size() > 1) duplicates.insert(key);
  for (const auto& [key, i, k] : onceInEach(byClassNow, byClassBefore)) pair(i, k);
  // A name once in each grade: the student changed class.
  for (const auto& [name, i, k] : onceInEach(indexBy(now, nameOf), indexBy(before, nameOf)))
    if (!name.empty() && !takenNow[i] && !takenBefore[k]) pair(i, k);
  // An exam number once in each exam pairs what is left, unless the names differ entirely.
  for (const auto& [number, i, k] : onceInEach(indexBy(now, numberOf), indexBy(before, numberOf))) {
    if (number.empty() || takenNow[i] || takenBefore[k]) continue;
    if (namesDifferEntirely(now[i].name, before[k].name)) {
      m.findings.push_back("考号 " + number + " 本次是" + now[i].className + "“" + now[i].name +
                           "”，上次是" + before[k].className + "“" + before[k].name +
                           "”，姓名完全不同，没有按考号配对。");
      continue;
    }
    pair(i, k);
  }

  for (const auto& [key, list] : byClassNow)
    if (duplicates.count(key))
      for (int i : list)
        if (!takenNow[i]) {
          m.findings.push_back(key.first + "有不止一名“" + key.second +
                               "”，无法确定是谁，没有对比（可以填上考号区分）。");
          break;
        }
  for (int i = 0; i < static_cast<int>(now.size()); ++i)
    if (!takenNow[i]) m.onlyNow.push_back(i);
  for (int k = 0; k < static_cast<int>(before.size()); ++k)
    if (!takenBefore[k]) m.onlyBefore.push_back(k);
  std::sort(m.pairs.begin(), m.pairs.end(),
            [](const StudentPair& a, const StudentPair& b) { return a.now < b.now; });
  return m;
}

}  // namespace valdrex
