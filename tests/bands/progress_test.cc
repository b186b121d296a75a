// Pairing the students of two exams, and the signs of what changed.
#include "valdrex/bands/progress.h"

#include <gmock/gmock.h>

namespace valdrex {
namespace {

ExamStudent student(std::string cls, std::string name, std::string number = "") {
  ExamStudent s;
  s.className = std::move(cls);
  s.name = std::move(name);
  s.examNumber = std::move(number);
  return s;
}

// "now name ← before name", "+name" only now, "-name" only before, with the changed classes
// marked "*".
std::vector<std::string> pairing(const std::vector<ExamStudent>& now,
                                 const std::vector<ExamStudent>& before) {
  const StudentMatching m = matchStudents(now, before);
  std::vector<std::string> out;
  for (const StudentPair& p : m.pairs)
    out.push_back(now[p.now].className + now[p.now].name + " ← " + before[p.before].className +
                  before[p.before].name + (p.changedClass ? " *" : ""));
  for (int i : m.onlyNow) out.push_back("+" + now[i].className + now[i].name);
  for (int k : m.onlyBefore) out.push_back("-" + before[k].className + before[k].name);
  return out;
}

TEST(Progress, PairsByClassAndNameThenByANameUniqueInBothGrades) {
  // 李明 stays in 1班; 周杰 moved from 2班 to 1班; two 陈晨 in different classes pair by class;
  // 吴迪, in both grades twice, cannot say who moved.
  const std::vector<ExamStudent> now = {student("1班", "李明"), student("1班", "周杰"),
                                        student("1班", "陈晨"), student("2班", "陈晨"),
                                        student("1班", "吴迪"), student("3班", "吴迪")};
  const std::vector<ExamStudent> before = {student("1班", "李明"), student("2班", "周杰"),
                                           student("1班", "陈晨"), student("2班", "陈晨"),
                                           student("2班", "吴迪"), student("4班", "吴迪")};
  EXPECT_THAT(
      pairing(now, before),
      ::testing::ElementsAre("1班李明 ← 1班李明", "1班周杰 ← 2班周杰 *", "1班陈晨 ← 1班陈晨",
                             "2班陈晨 ← 2班陈晨", "+1班吴迪", "+3班吴迪", "-2班吴迪", "-4班吴迪"));
}

TEST(Progress, ExamNumbersPairCorrectedNamesButNotDifferentPeople) {
  const std::vector<ExamStudent> now = {student("1班", "张叁", "A1"), student("1班", "王五", "A2"),
                                        student("1班", "孙七", "A3"), student("2班", "孙琪", "A3")};
  const std::vector<ExamStudent> before = {
      student("1班", "张三", "A1"), student("1班", "赵六", "A2"), student("1班", "孙柒", "A3")};
  const StudentMatching m = matchStudents(now, before);
  EXPECT_THAT(pairing(now, before),
              ::testing::ElementsAre("1班张叁 ← 1班张三", "+1班王五", "+1班孙七", "+2班孙琪",
                                     "-1班赵六", "-1班孙柒"));
  // A2 joins names with nothing in common: told; A3 is not unique this time: not used.
  ASSERT_EQ(m.findings.size(), 1u);
  EXPECT_THAT(m.findings[0], ::testing::HasSubstr("考号 A2"));
}

TEST(Progress, DuplicateNamesInAClassAreToldAndLeftOut) {
  const std::vector<ExamStudent> now = {student("1班", "刘洋"), student("1班", "刘洋")};
  const std::vector<ExamStudent> before = {student("1班", "刘洋")};
  const StudentMatching m = matchStudents(now, before);
  EXPECT_THAT(pairing(now, before), ::testing::ElementsAre("+1班刘洋", "+1班刘洋", "-1班刘洋"));
  ASSERT_EQ(m.findings.size(), 1u);
  EXPECT_THAT(m.findings[0], ::testing::HasSubstr("1班有不止一名“刘洋”"));
  // Told apart by exam numbers, they pair.
  EXPECT_THAT(pairing({student("1班", "刘洋", "7"), student("1班", "刘洋", "8")},
                      {student("1班", "刘洋", "8")}),
              ::testing::ElementsAre("1班刘洋 ← 1班刘洋", "+1班刘洋"));
}

TEST(Progress, SignsAndSteps) {
  EXPECT_EQ(rankChange(10, 3), 7);  // moved up
  EXPECT_EQ(rankChange(3, 10), -7);
  EXPECT_EQ(rankChange(0, 3), std::nullopt);  // no total the first time
  EXPECT_EQ(rankChange(5, 0), std::nullopt);
  EXPECT_EQ(progressDirection(20, 20), 1);
  EXPECT_EQ(progressDirection(19, 20), 0);
  EXPECT_EQ(progressDirection(-19, 20), 0);
  EXPECT_EQ(progressDirection(-20, 20), -1);
  EXPECT_FALSE(namesDifferEntirely("张三", "张叁"));
  EXPECT_TRUE(namesDifferEntirely("王五", "赵六"));
}

}  // namespace
}  // namespace valdrex
