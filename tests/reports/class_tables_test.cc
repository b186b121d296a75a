#include "valdrex/reports/class_tables.h"

#include <gtest/gtest.h>

#include "support/pupils.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {
namespace {

using testing::rowTexts;
using testing::Texts;

bool bordered(const host::MemorySheet& sh, int row, int col) {
  const host::Cell* c = sh.find(row, col);
  return c && c->format.borders == 0xF;
}

class ClassTables : public ::testing::Test {
 protected:
  // Class 1: 甲 170, 乙 absent in 语文 with 95; class 2: 丙 130.
  std::unique_ptr<GradeBook> g =
      testing::gradeBookOf({"语文", "数学"}, {{{"1", "1", "甲"}, {90, 80}},
                                              {{"1", "2", "乙"}, {std::nullopt, 95}},
                                              {{"2", "1", "丙"}, {70, 60}}});
  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet("输出表");
};

TEST_F(ClassTables, PlainTableRunsOnAcrossClassesAndLeavesAnAbsentScoreEmpty) {
  sh.setCell(30, 30, "上次的");
  writeClassTables(*g, sh, false);
  EXPECT_EQ(textOf(sh.cell(1, 1)), "各班级学生成绩统计排名表");
  EXPECT_EQ(rowTexts(sh, 2, 1, 9),
            (Texts{"班级", "座号", "姓名", "语文", "数学", "总分", "班排", "校排", ""}));
  EXPECT_EQ(rowTexts(sh, 3, 1, 8), (Texts{"1", "1", "甲", "90", "80", "170", "1", "1"}));
  EXPECT_EQ(rowTexts(sh, 4, 1, 8), (Texts{"1", "2", "乙", "", "95", "95", "2", "3"}));
  EXPECT_EQ(rowTexts(sh, 5, 1, 8), (Texts{"2", "1", "丙", "70", "60", "130", "1", "2"}));
  EXPECT_TRUE(sh.cell(6, 1).isEmpty() && sh.cell(30, 30).isEmpty());

  EXPECT_TRUE(bordered(sh, 2, 1) && bordered(sh, 5, 8) && bordered(sh, 4, 4));
  EXPECT_FALSE(bordered(sh, 1, 1) || bordered(sh, 6, 1) || bordered(sh, 2, 9));
}

TEST_F(ClassTables, HeaderNamesItsOwnTotalColumnsAndDetailedRowsKeepRankCellsWithoutAScore) {
  // The sheet had 总分 and more after its subjects: the table still writes its own names.
  const char* sheetHeaders[] = {"总分", "平均分", "总分", "班排", "校排"};
  for (int i = 0; i < 5; ++i) g->headerTexts(6 + i) = sheetHeaders[i];
  writeClassTables(*g, sh, false);
  EXPECT_EQ(rowTexts(sh, 2, 6, 8), (Texts{"总分", "班排", "校排"}));

  writeClassTables(*g, sh, true);
  EXPECT_EQ(rowTexts(sh, 2, 4, 12),
            (Texts{"语文分数", "语文班排", "语文校排", "数学分数", "数学班排", "数学校排",
                   "总分分数", "总分班排", "总分校排"}));
  EXPECT_EQ(rowTexts(sh, 4, 1, 12),
            (Texts{"1", "2", "乙", "", "0", "0", "95", "1", "1", "95", "2", "3"}));
  EXPECT_EQ(rowTexts(sh, 5, 1, 3), (Texts{"2", "1", "丙"}));
  EXPECT_TRUE(bordered(sh, 5, 12));
  EXPECT_FALSE(bordered(sh, 5, 13));
}

TEST(ClassTableShape, WidthFollowsTheSubjectCountAndAnEmptyGradeKeepsTitleAndHeader) {
  struct Case {
    std::vector<std::string> subjects;
    std::vector<testing::Pupil> pupils;
    bool detailed;
    int lastColumn, lastRow;
  };
  const std::vector<std::string> twelve = {"一", "二", "三", "四", "五",   "六",
                                           "七", "八", "九", "十", "十一", "十二"};
  const testing::Pupil one{{"1", "1", "甲"}, std::vector<std::optional<float>>(12, 50.0f)};
  const Case cases[] = {{twelve, {one}, false, 18, 3},
                        {twelve, {one}, true, 42, 3},
                        {{"语文"}, {}, false, 7, 2},
                        {{"语文"}, {}, true, 9, 2}};
  for (const Case& c : cases) {
    auto g = testing::gradeBookOf(c.subjects, c.pupils);
    host::MemoryWorkbook wb;
    auto& sh = wb.addSheet("表");
    writeClassTables(*g, sh, c.detailed);
    EXPECT_EQ(sh.usedRange(), (host::Range{1, 1, c.lastRow, c.lastColumn}));
    EXPECT_FALSE(sh.cell(2, c.lastColumn).isEmpty());
    EXPECT_TRUE(bordered(sh, c.lastRow, c.lastColumn));
    EXPECT_FALSE(bordered(sh, c.lastRow + 1, 1));
  }
}

}  // namespace
}  // namespace valdrex
