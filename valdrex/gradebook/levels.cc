#include "valdrex/gradebook/levels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "valdrex/host/argument_text.h"
#include "valdrex/host/number_text.h"

namespace valdrex {

namespace {

struct Item {
  std::string name;
  int percent = 0;
};

// A whole number from 0 to 100, or -1.
int wholePercent(const std::string& text) {
  const std::optional<double> v = wholeTextNumber(text);
  if (!v || *v < 0 || *v > 100 || *v != std::floor(*v)) return -1;
  return static_cast<int>(*v);
}

std::optional<std::vector<Item>> parseItems(std::string_view text, std::string_view what,
                                            std::string& problem) {
  std::vector<Item> items;
  for (const std::string& item : splitItems(text)) {
    std::size_t colon = item.find(':'), width = 1;
    if (const std::size_t wide = item.find("\uff1a"); wide < colon) colon = wide, width = 3;
    if (colon == std::string::npos) {
      problem = "“" + item + "”应写成“等级:" + std::string(what) + "”";
      return std::nullopt;
    }
    Item parsed{trimSpaces(item.substr(0, colon)),
                wholePercent(trimSpaces(item.substr(colon + width)))};
    if (parsed.name.empty()) {
      problem = "“" + item + "”没有等级名";
      return std::nullopt;
    }
    if (parsed.percent < 0) {
      problem = "“" + item + "”的" + std::string(what) + "应为 0 到 100 的整数";
      return std::nullopt;
    }
    for (const Item& before : items)
      if (before.name == parsed.name) {
        problem = "等级“" + parsed.name + "”写了两次";
        return std::nullopt;
      }
    items.push_back(std::move(parsed));
  }
  return items;
}

// The letter after a one-letter name: E after D.
std::optional<std::string> nextLetter(const std::string& name) {
  if (name.size() != 1) return std::nullopt;
  const char c = name[0];
  if ((c >= 'A' && c < 'Z') || (c >= 'a' && c < 'z')) return std::string(1, char(c + 1));
  return std::nullopt;
}

}  // namespace

std::optional<LevelScheme> parseLevelShares(std::string_view text, std::string& problem) {
  auto items = parseItems(text, "百分比", problem);
  if (!items) return std::nullopt;
  LevelScheme scheme;
  int sum = 0;
  for (const Item& item : *items) {
    if (item.percent == 0) {
      problem = "等级“" + item.name + "”占 0%，没有学生";
      return std::nullopt;
    }
    scheme.names.push_back(item.name);
    scheme.bounds.push_back(item.percent);
    sum += item.percent;
  }
  if (sum != 100) {
    problem = "各等级的百分比加起来是 " + std::to_string(sum) + "，应为 100";
    return std::nullopt;
  }
  return scheme;
}

std::optional<LevelScheme> parseLevelLines(std::string_view text, std::string& problem) {
  auto items = parseItems(text, "分数线", problem);
  if (!items) return std::nullopt;
  LevelScheme scheme;
  scheme.basis = LevelScheme::Basis::scorePercent;
  for (const Item& item : *items) {
    if (!scheme.bounds.empty() && item.percent >= scheme.bounds.back()) {
      problem = "等级“" + item.name + "”的分数线应低于上一等级的";
      return std::nullopt;
    }
    scheme.names.push_back(item.name);
    scheme.bounds.push_back(item.percent);
  }
  if (scheme.bounds.back() == 0) {
    scheme.bounds.pop_back();  // everyone reaches 0: the last name is what lies below
    return scheme;
  }
  std::optional<std::string> below = nextLetter(scheme.names.back());
  if (!below || std::count(scheme.names.begin(), scheme.names.end(), *below)) {
    problem =
        "最后一个等级“" + scheme.names.back() + "”之下的等级没有名字，请再写一个分数线为 0 的等级";
    return std::nullopt;
  }
  scheme.names.push_back(*below);
  return scheme;
}

int levelOfRank(int rank, int ranked, const std::vector<int>& shares) {
  if (rank <= 0 || ranked <= 0) return -1;
  int64_t cumulative = 0;
  for (std::size_t k = 0; k < shares.size(); ++k) {
    cumulative += shares[k];
    // The last rank level k holds, rounded up: a share never loses a student to rounding.
    if (rank <= (int64_t(ranked) * cumulative + 99) / 100) return static_cast<int>(k);
  }
  return static_cast<int>(shares.size()) - 1;
}

int levelOfScore(long scoreTenths, int fullMark, const std::vector<int>& lines) {
  if (scoreTenths < 0 || fullMark <= 0) return -1;
  // score / full ≥ line / 100, in whole numbers: tenths × 100 ≥ line × full × 10.
  for (std::size_t k = 0; k < lines.size(); ++k)
    if (int64_t(scoreTenths) * 100 >= int64_t(lines[k]) * fullMark * 10) return static_cast<int>(k);
  return static_cast<int>(lines.size());
}

StudentLevels::StudentLevels(const GradeBook& g, const LevelScheme& scheme)
    : names_(scheme.names), columns_(g.subjectCount + 2) {
  index_.assign(std::size_t(kClassSlots) * kStudentSlots * columns_, -1);
  for (int j = 1; j <= g.subjectCount + 1; ++j) {
    int ranked = 0;
    for (int k = 1; k <= g.classCount; ++k)
      for (int s = 1; s <= g.classSizes(k); ++s)
        if (g.scores(k, s, j) >= 0) ++ranked;
    for (int k = 1; k <= g.classCount; ++k)
      for (int s = 1; s <= g.classSizes(k); ++s) {
        const float score = g.scores(k, s, j);
        int level = -1;
        if (!(score >= 0))
          level = -1;
        else if (scheme.basis == LevelScheme::Basis::gradeShare)
          level = levelOfRank(g.schoolRanks(k, s, j), ranked, scheme.bounds);
        else
          level = levelOfScore(std::lround(double(score) * 10), g.markLines(1, j), scheme.bounds);
        index_[(std::size_t(k) * kStudentSlots + s) * columns_ + j] = level;
      }
  }
}

std::string_view StudentLevels::level(int k, int s, int j) const {
  if (columns_ == 0 || k < 0 || k >= kClassSlots || s < 0 || s >= kStudentSlots || j < 0 ||
      j >= columns_)
    return {};
  const int level = index_[(std::size_t(k) * kStudentSlots + s) * columns_ + j];
  return level < 0 ? std::string_view() : std::string_view(names_[level]);
}

}  // namespace valdrex
