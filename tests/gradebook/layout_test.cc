#include "valdrex/gradebook/layout.h"

#include <gtest/gtest.h>

#include "grade_sheet.h"

namespace valdrex {
namespace {

struct Layout : testing::Test, GradeSheet {};

TEST_F(Layout, CountsStudentsUpToTheFirstRowWithoutSeatAndName) {
  write(sh, 3, {"班级|座号|姓名|语文|数学|英语"});
  for (int row = 4; row <= 53; ++row) write(sh, row, {"1|" + std::to_string(row) + "|某"});
  write(sh, 54, {"1", "2|99|后来者"});  // a row with only the class filled ends the list
  EXPECT_EQ(countStudents(g, sh, ui), 50);
  EXPECT_EQ((std::vector<int>{g.headerRow, g.firstSubjectColumn, g.subjectCount}),
            (std::vector<int>{3, 4, 3}));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Layout, FindsTheColumnsAndAddsTotalAndRanksAfterTheHeader) {
  struct Case {
    const char* header;
    int classColumn, seatColumn, lastSubjectColumn,
        totalAt;  // totalAt: where "总分", "班排", "校排" are added
  } cases[] = {
      {"班级|座号|姓名|语文|数学|英语", 1, 2, 6, 7},
      {"考号|班级|姓名|语文|数学|英语|总分|班排|校排", 2, 1, 6, 10},
      {"", 0, 0, 3, 1},  // nothing found: the stale columns are not kept
      {"姓名|座号|考号|语文", 0, 3, 4, 5},
  };
  for (const Case& c : cases) {
    auto w = std::make_unique<GradeSheet>();
    w->g.classColumn = 9;
    write(w->sh, 3, {c.header});
    findLayout(w->g, w->sh, w->ui);
    EXPECT_EQ((std::vector<int>{w->g.classColumn, w->g.seatColumn, w->g.lastSubjectColumn}),
              (std::vector{c.classColumn, c.seatColumn, c.lastSubjectColumn}))
        << c.header;
    EXPECT_EQ((std::vector{w->g.headerTexts(c.totalAt), w->g.headerTexts(c.totalAt + 2)}),
              (std::vector<std::string>{"总分", "校排"}))
        << c.header;
  }
}

TEST_F(Layout, TooManyHeaderColumnsShowTheLimitsMessageAndKeepTheEarlierLayout) {
  write(sh, 4, {"1|1|甲"});
  for (int headerCells : {17, 18}) {  // 14 subjects fit, 15 do not
    bool fails = headerCells == 18;
    for (int col = 1; col <= headerCells; ++col)
      sh.setCell(3, col, Variant::text(col <= 3 ? "座号" : "科" + std::to_string(col)));
    auto w = std::make_unique<GradeSheet>();
    w->g.subjectCount = 5;
    w->g.classSizes(2) = 7;
    EXPECT_EQ(countStudents(w->g, sh, w->ui), fails ? 0 : 1) << headerCells;
    EXPECT_EQ(w->ui.messages(), fails ? std::vector{kLimitsMessage} : std::vector<std::string>{});
    EXPECT_EQ(w->g.subjectCount, fails ? 5 : 14);
    EXPECT_EQ(w->g.classSizes(2), 0);
  }
}

}  // namespace
}  // namespace valdrex
