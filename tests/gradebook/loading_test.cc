#include "valdrex/gradebook/loading.h"

#include <gtest/gtest.h>

#include <functional>

#include "grade_sheet.h"

namespace valdrex {
namespace {

struct Loading : testing::Test, GradeSheet {};

TEST_F(Loading, ScalesScoresToOneDecimalAndReadsTheSettings) {
  write(sh, 2,
        {"|||100|100|50|100|100", "班级|座号|姓名|甲|乙|丙|丁|戊", "1|01|张三|87.25|87.35|45|病|"});
  properties(5);
  write(sx, 9, {"|0.3|1|0.25"});
  write(sx, 12, {"低分率"});
  write(sx, 18, {"1|王|李", "2|孙", "3|周"});  // rows beyond the class count are read too
  load();
  ASSERT_TRUE(ui.messages().empty());
  const float expected[] = {87.2f, 87.3f, 90.0f, 0.0f, kAbsent};
  for (int j = 1; j <= 5; ++j) {
    EXPECT_EQ(g.scores(1, 1, j), expected[j - 1]) << j;
    EXPECT_EQ(g.examineeCounts(1, j), j < 5 ? 1 : 0) << j;
  }
  EXPECT_EQ(lastRounding, 0);  // the word read as 0 was the last score scaled
  EXPECT_EQ(g.studentInfo(1, 1, 2), "01");
  EXPECT_EQ((std::vector<int>{g.markLines(3, 1), g.markLines(1, 6)}), (std::vector<int>{60, 500}));
  EXPECT_EQ((std::vector<float>{g.weights(1, 1), g.weights(1, 3)}), (std::vector{0.3f, 0.25f}));
  EXPECT_EQ(g.lowRateLabel, "低分率");
  EXPECT_EQ(g.teacherNames(1, 2), "李");
  EXPECT_EQ(g.teacherNames(3, 1), "周");
}

// Absence written as a word and numbers typed in full width read as the teacher meant them; any
// other word still counts as a sitting with 0.
TEST(LoadingScoreCells, ReadAbsenceWordsAndFullWidthNumbers) {
  struct Case {
    const char* cell;
    float score;
    int sitting;
  } cases[] = {
      {"缺考", kAbsent, 0}, {"缺", kAbsent, 0},      {"缺席", kAbsent, 0},   {"请假", kAbsent, 0},
      {"免考", kAbsent, 0}, {" 缺考　", kAbsent, 0}, {"　", kAbsent, 0},     {"缺考了", 0, 1},
      {"病", 0, 1},         {"９０", 90, 1},         {"９０．５", 90.5f, 1}, {" ８５ ", 85, 1},
      {"９０分", 90, 1},    {"＋８０", 80, 1},       {"85。5", 85, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    auto w = std::make_unique<GradeSheet>();
    w->sheet({std::string("1|1|甲|") + c.cell});
    w->properties(3);
    w->load();
    EXPECT_TRUE(w->ui.messages().empty());
    EXPECT_EQ(w->g.scores(1, 1, 1), c.score);
    EXPECT_EQ(w->g.examineeCounts(1, 1), c.sitting);
  }
}

TEST_F(Loading, FullWidthMarksAndWeightsReadAsNumbers) {
  sheet({"1|1|甲|75"});
  write(sh, 2, {"|||１００"});
  properties(3);
  write(sx, 3, {"|１５０"});
  write(sx, 9, {"|０．５"});
  load();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(g.markLines(1, 1), 150);
  EXPECT_EQ(g.weights(1, 1), 0.5f);
  EXPECT_EQ(g.scores(1, 1, 1), 112.5f);
}

// Each class takes the teacher row of its own name; the classes left without one take the rows
// left over in order, which with no name matching is the pairing by position.
TEST(LoadingTeachers, FollowTheirClassByName) {
  struct Case {
    const char* what;
    std::vector<std::string> classes, rows, teachers;
  } cases[] = {
      {"rows in another order", {"1班", "2班"}, {"2班|王", "1班|李"}, {"李", "王"}},
      {"written alike",
       {"高一(1)班", "高一(2)班"},
       {"高一（2）班|王", "高一 (1) 班|李"},
       {"李", "王"}},
      {"an equal name before a look-alike", {"1班", "1 班"}, {"1 班|甲", "1班|乙"}, {"乙", "甲"}},
      {"leftovers in order",
       {"1班", "2班", "3班"},
       {"3班|周", "甲|王", "乙|李"},
       {"王", "李", "周"}},
      {"no name matches", {"1", "2"}, {"甲|王", "乙|李"}, {"王", "李"}},
      {"rows run out", {"1班", "2班"}, {"2班|王"}, {"", "王"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto w = std::make_unique<GradeSheet>();
    std::vector<std::string> students;
    for (const std::string& name : c.classes) students.push_back(name + "|1|甲|50");
    w->sheet(students);
    w->properties(3);
    w->write(w->sx, 18, c.rows);
    w->load();
    EXPECT_TRUE(w->ui.messages().empty());
    for (std::size_t k = 0; k < c.teachers.size(); ++k)
      EXPECT_EQ(w->g.teacherNames(int(k) + 1, 1), c.teachers[k]) << c.classes[k];
  }
}

TEST_F(Loading, ClassRowsNeedNotStandTogetherAndBlankClassesAreLeftOut) {
  sheet({"1|1|甲|10", "1|2|乙|20", "2|1|丙|30", "|9|无班|99", "2|2|丁|40", "1|3|戊|50"});
  properties(3);
  load();
  EXPECT_EQ(g.classCount, 2);
  EXPECT_EQ(g.classSizes(0), 1);
  struct {
    int c, s;
    float score;
  } seats[] = {{1, 1, 10}, {1, 2, 20}, {1, 3, 50}, {2, 1, 30}, {2, 2, 40}};
  for (const auto& e : seats) EXPECT_EQ(g.scores(e.c, e.s, 1), e.score) << e.c << ' ' << e.s;
  EXPECT_EQ(g.studentInfo(1, 3, 3), "戊");
}

// Each load meets a bound: the limits message once, and what came before the bound is kept.
TEST(LoadingLimits, StopAtTheFirstFailureWithTheLimitsMessage) {
  using Setup = std::function<void(GradeSheet&)>;
  using Check = std::function<void(const GradeBook&)>;
  struct Case {
    const char* what;
    Setup setup;
    Check check;
  } cases[] = {
      {"a 101st student",
       [](GradeSheet& w) { w.sheet(std::vector<std::string>(101, "1|1|甲|50")); },
       [](const GradeBook& g) {
         EXPECT_EQ(g.classSizes(1), 101);
         EXPECT_EQ(g.scores(1, 100, 1), 50.0f);
         EXPECT_EQ(g.lowRateLabel, "");  // the settings after the students were not reached
       }},
      {"a 21st class",
       [](GradeSheet& w) {
         std::vector<std::string> rows;
         for (int c = 1; c <= 21; ++c) rows.push_back(std::to_string(c) + "|1|甲|50");
         w.sheet(rows);
       },
       [](const GradeBook& g) {
         EXPECT_EQ(g.classCount, 0);
         EXPECT_EQ(g.examineeCounts(1, 1), 0);
       }},
      {"a 21st teacher row",
       [](GradeSheet& w) {
         for (int r = 1; r <= 21; ++r) w.write(w.sx, 17 + r, {"班|师" + std::to_string(r)});
       },
       [](const GradeBook& g) { EXPECT_EQ(g.teacherNames(20, 1), "师20"); }},
      {"a zero raw full mark", [](GradeSheet& w) { w.write(w.sh, 2, {"|||满分"}); },
       [](const GradeBook& g) { EXPECT_EQ(g.examineeCounts(1, 1), 0); }},
      {"a mark that is no number", [](GradeSheet& w) { w.write(w.sx, 3, {"|一百"}); },
       [](const GradeBook& g) { EXPECT_EQ(g.studentInfo(1, 1, 3), ""); }},
      {"thirteen subjects",
       [](GradeSheet& w) {
         for (int col = 7; col <= 16; ++col) w.sh.setCell(3, col, Variant::text("科"));
       },
       [](const GradeBook& g) {
         EXPECT_EQ(g.subjectCount, 13);
         EXPECT_EQ(g.studentInfo(1, 1, 3), "");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto w = std::make_unique<GradeSheet>();
    w->sheet({"1|1|甲|50"});
    w->properties(3);
    w->write(w->sx, 12, {"低分率"});
    c.setup(*w);
    w->load();
    EXPECT_EQ(w->ui.messages(), std::vector{kLimitsMessage});
    c.check(w->g);
  }
  auto w = std::make_unique<GradeSheet>();
  loadScores(w->g, w->sh, nullptr, w->ui);
  EXPECT_EQ(w->ui.messages(), std::vector{kLimitsMessage});
}

TEST_F(Loading, TwelveSubjectsFitTheTablesAndTheClassCountClearsLeftoverNames) {
  write(sh, 2,
        {"|||50|50|50|50|50|50|50|50|50|50|50|50", "班级|座号|姓名|1|2|3|4|5|6|7|8|9|10|11|12",
         "1|1|甲" + std::string(12, '|') + "45", "2|1|乙"});
  write(sx, 18, {"旧1", "旧2", "旧3", "旧4", "", "远"});
  properties(12);
  load();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(g.scores(1, 1, 12), 90.0f);
  EXPECT_EQ(g.scores(1, 1, 11), kAbsent);
  EXPECT_EQ(countClasses(g, sh, sx, ui), 2);
  const char* column[] = {"1", "2", "", "", "", "远"};  // cleared down to the first blank
  for (int i = 0; i < 6; ++i) EXPECT_EQ(textOf(sx.cell(18 + i, 1)), column[i]) << 18 + i;
}

}  // namespace
}  // namespace valdrex
