#include "valdrex/run/ranking_sheets.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/pupils.h"
#include "support/scripted_ui.h"
#include "valdrex/host/memory_workbook.h"
#include "valdrex/reports/class_tables.h"

namespace valdrex {
namespace {

using testing::Pupil;
using testing::rowTexts;
using testing::Texts;

Variant today() { return Variant::date(dateSerial({2026, 12, 6})); }

class RankingSheets : public ::testing::Test {
 protected:
  // The base table as the run leaves it on the sheet, then both phases.
  host::MemorySheet& finish(GradeBook& g, RankingSheet kind) {
    host::MemorySheet& sh = wb.addSheet(rankingSheetName(kind));
    writeClassTables(g, sh,
                     kind == RankingSheet::ClassDetailed || kind == RankingSheet::GradeDetailed);
    sortRankingSheet(g, sh, kind);
    titleRankingSheet(g, sh, kind, clock);
    return sh;
  }
  bool merged(const host::MemorySheet& sh, host::Range r) {
    return std::find(sh.merges().begin(), sh.merges().end(), r) != sh.merges().end();
  }
  host::MemoryWorkbook wb;
  host::FixedClock clock{{2026, 12, 6}};
};

TEST_F(RankingSheets, EachClassGetsADatedTitleAndHeaderAndItsStudentsBySeat) {
  std::vector<Pupil> pupils;
  int sizes[] = {40, 42, 38};
  for (int c = 1; c <= 3; ++c)
    for (int seat = sizes[c - 1]; seat >= 1; --seat)
      pupils.push_back({{std::to_string(c), std::to_string(seat), "生"}, {float(seat)}});
  auto g = testing::gradeBookOf({"语文"}, pupils);
  auto& sh = finish(*g, RankingSheet::ClassPlain);

  struct Block {
    int title;
    const char* text;
  } blocks[] = {{1, "1学生成绩表"}, {43, "2学生成绩表"}, {87, "3学生成绩表"}};
  for (const Block& b : blocks) {
    EXPECT_EQ(textOf(sh.cell(b.title, 1)), b.text);
    EXPECT_EQ(sh.cell(b.title, 6), today());
    EXPECT_TRUE(merged(sh, {b.title, 1, b.title, 5}) && merged(sh, {b.title, 6, b.title, 7}));
    EXPECT_EQ(rowTexts(sh, b.title + 1, 1, 3), (Texts{"班级", "座号", "姓名"}));
  }
  EXPECT_EQ(rowTexts(sh, 89, 1, 2), (Texts{"3", "1"}));
  EXPECT_EQ(rowTexts(sh, 126, 1, 2), (Texts{"3", "38"}));
  EXPECT_TRUE(sh.cell(127, 1).isEmpty());
}

TEST_F(RankingSheets, GradeSheetsOrderBySchoolRankThenClassRankUnderAnEmptyTitle) {
  // 乙 and 丙 share school rank 2; 丙 is first in its class, 乙 second in hers.
  auto g = testing::gradeBookOf(
      {"语文"}, {{{"1", "1", "甲"}, {90}}, {{"1", "2", "乙"}, {80}}, {{"2", "1", "丙"}, {80}}});
  struct Case {
    RankingSheet kind;
    int width;
  } cases[] = {{RankingSheet::GradePlain, 7}, {RankingSheet::GradeDetailed, 9}};
  for (const Case& c : cases) {
    auto& sh = finish(*g, c.kind);
    EXPECT_TRUE(sh.cell(1, 1).isEmpty());
    EXPECT_EQ(sh.cell(1, c.width - 1), today());
    EXPECT_TRUE(merged(sh, {1, 1, 1, c.width - 2}));
    EXPECT_EQ(textOf(sh.cell(2, 1)), "班级");
    Texts names;
    for (int row = 3; row <= 5; ++row) names.push_back(textOf(sh.cell(row, 3)));
    EXPECT_EQ(names, (Texts{"甲", "丙", "乙"}));
  }
}

TEST_F(RankingSheets, OneClassHasOneTitleRow) {
  auto one = testing::gradeBookOf({"语文"}, {{{"1", "2", "甲"}, {90}}, {{"1", "1", "乙"}, {80}}});
  auto& sh = finish(*one, RankingSheet::ClassPlain);
  EXPECT_EQ(textOf(sh.cell(1, 1)), "1学生成绩表");
  EXPECT_EQ(rowTexts(sh, 3, 2, 3), (Texts{"1", "乙"}));
  EXPECT_EQ(rowTexts(sh, 4, 2, 3), (Texts{"2", "甲"}));
  EXPECT_EQ(sh.usedRange().row2, 4);
}

TEST_F(RankingSheets, BlockTitlesNameTheClassOfTheStudentsBelowThemWhateverTheListOrder) {
  // Listed class 2 (three students) before class 1 (one): sorting puts class 1 first.
  auto listed21 = testing::gradeBookOf({"语文"}, {{{"2", "1", "甲"}, {90}},
                                                  {{"2", "2", "乙"}, {80}},
                                                  {{"2", "3", "丙"}, {70}},
                                                  {{"1", "1", "丁"}, {60}}});
  auto& plain = finish(*listed21, RankingSheet::ClassPlain);
  Texts column;  // titles and headers in column 1, names in column 3
  for (int row = 1; row <= 6; ++row)
    column.push_back(textOf(plain.cell(row, 1 + 2 * (row % 3 == 0))));
  EXPECT_EQ(column, (Texts{"1学生成绩表", "班级", "丁", "2学生成绩表", "班级", "甲"}));

  // The class in column 2, after the examination number.
  auto second = testing::gradeBookOf({"语文"},
                                     {{{"101", "初一(2)", "甲"}, {90}},
                                      {{"102", "初一(1)", "乙"}, {80}},
                                      {{"103", "初一(1)", "丙"}, {85}}},
                                     2);
  auto& detailed = finish(*second, RankingSheet::ClassDetailed);
  column.clear();  // 丙 (school rank 2) before 乙 (3)
  for (int row = 1; row <= 7; ++row)
    column.push_back(textOf(detailed.cell(row, row % 4 == 1 ? 1 : 3)));
  EXPECT_EQ(column,
            (Texts{"初一(1)学生排名表", "姓名", "丙", "乙", "初一(2)学生排名表", "姓名", "甲"}));
  EXPECT_EQ(detailed.cell(5, 8), today());
}

// A student without any score did not sit: no total and no total ranks, listed after the ranked
// students of the class in the class sheets (by seat in the plain one), after all ranked students
// in the grade sheets.
TEST_F(RankingSheets, StudentsWithoutAnyScoreComeAfterTheRankedOnes) {
  auto g = testing::gradeBookOf({"语文", "数学"}, {{{"1", "1", "甲"}, {std::nullopt, std::nullopt}},
                                                   {{"1", "2", "乙"}, {80, std::nullopt}},
                                                   {{"1", "3", "丙"}, {std::nullopt, std::nullopt}},
                                                   {{"1", "4", "丁"}, {90, 5}},
                                                   {{"2", "1", "戊"}, {std::nullopt, std::nullopt}},
                                                   {{"2", "2", "己"}, {70, 0}}});
  const struct {
    RankingSheet kind;
    Texts names;
    int firstTotalColumn, lastTotalColumn;
  } cases[] = {
      {RankingSheet::ClassPlain, {"乙", "丁", "甲", "丙", "己", "戊"}, 6, 8},
      {RankingSheet::ClassDetailed, {"丁", "乙", "甲", "丙", "己", "戊"}, 10, 12},
      {RankingSheet::GradePlain, {"丁", "乙", "己", "甲", "丙", "戊"}, 6, 8},
      {RankingSheet::GradeDetailed, {"丁", "乙", "己", "甲", "丙", "戊"}, 10, 12},
  };
  for (const auto& c : cases) {
    auto& sh = finish(*g, c.kind);
    Texts names;
    for (int row = 3; row <= sh.usedRange().row2; ++row) {
      const std::string name = textOf(sh.cell(row, 3));
      if (name.empty() || name == "姓名") continue;
      names.push_back(name);
      const bool sat = name != "甲" && name != "丙" && name != "戊";
      for (int col = c.firstTotalColumn; col <= c.lastTotalColumn; ++col)
        EXPECT_EQ(sh.cell(row, col).isEmpty(), !sat) << name << " " << col;
    }
    EXPECT_EQ(names, c.names) << rankingSheetName(c.kind);
  }
}

}  // namespace
}  // namespace valdrex
