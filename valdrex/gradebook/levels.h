// Levels (优秀, 良好 … or A, B …) given to students instead of public ranks: by the share of the
// grade a level holds, or by the percent of the full mark a score reaches.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/gradebook/grade_book.h"

namespace valdrex {

struct LevelScheme {
  enum class Basis {
    gradeShare,    // bounds: percent shares of those with a score, top down, totalling 100
    scorePercent,  // bounds: percent of the full mark a score must reach, descending
  };
  Basis basis = Basis::gradeShare;
  std::vector<std::string> names;  // top down; by score, one more than bounds (below the last)
  std::vector<int> bounds;
  friend bool operator==(const LevelScheme&, const LevelScheme&) = default;
};

// What `--levels` means without a value.
inline constexpr std::string_view kDefaultLevelShares = "A:15,B:35,C:35,D:13,E:2";

// "A:15,B:35,…" (',' '，' '、' between items, ':' or '：' inside one): whole percent shares,
// each above 0, totalling 100, names unique and non-empty. nullopt and `problem` says what is
// wrong, in Chinese, naming the item.
std::optional<LevelScheme> parseLevelShares(std::string_view text, std::string& problem);
// "A:90,B:75,C:60,D:40": whole percents of the full mark, descending, each from 0 to 100. Below
// the last line comes the letter after the last name's (E after D); a name that has no next
// letter needs a last line of 0, which leaves nothing below it.
std::optional<LevelScheme> parseLevelLines(std::string_view text, std::string& problem);

// The level of grade rank `rank` among `ranked` students with a score: the first level k whose
// ranks reach ⌈ranked × (shares up to k) ÷ 100⌉. Equal scores share a rank and so a level. -1
// for rank 0 (no score).
int levelOfRank(int rank, int ranked, const std::vector<int>& shares);
// The level of a score (in tenths of a point) against a full mark: the first line it reaches,
// else the one below the last. -1 for an absent score or a full mark of 0.
int levelOfScore(long scoreTenths, int fullMark, const std::vector<int>& lines);

// Every student's level per subject and for the total, from the ranks and scores of a ranked
// grade book; "" where there is none.
class StudentLevels {
 public:
  StudentLevels() = default;
  StudentLevels(const GradeBook& g, const LevelScheme& scheme);
  // Class k, student s, subject j (the total at subjectCount + 1).
  std::string_view level(int k, int s, int j) const;

 private:
  std::vector<std::string> names_;
  int columns_ = 0;
  std::vector<int> index_;  // [(k * kStudentSlots + s) * columns + j]
};

}  // namespace valdrex
