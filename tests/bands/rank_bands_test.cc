#include "valdrex/bands/rank_bands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "band_book.h"
#include "support/scripted_ui.h"
#include "valdrex/host/date.h"

namespace valdrex {
namespace {

using testing::bookOf;
using testing::cellTexts;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::gridExactly;
using testing::text;
using Strings = std::vector<std::string>;

class RankBandSheet : public ::testing::Test {
 protected:
  void run(GradeBook& g) { 名次分段统计(g, sh, ui, clock); }

  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet("名次段统计");
  host::ScriptedUi ui;
  host::FixedClock clock{{2026, 12, 6}};
};

Strings topBands(int step, int last, int students) {
  Strings out;
  for (int n = step; n <= last; n += step) out.push_back("前" + std::to_string(n) + "名");
  out.push_back("前" + std::to_string(students) + "名");
  return out;
}

TEST_F(RankBandSheet, DefaultHeaderStepsByATenthOfTheGrade) {
  const struct {
    int16_t students;
    Strings bands;
  } cases[] = {
      {650, topBands(60, 600, 650)},
      {600, topBands(60, 600, 600)},  // a multiple of the step closes with the same band twice
      {80, topBands(5, 80, 80)},
  };
  for (auto c : cases) {
    sh.clear(sh.usedRange());
    GradeBook g = bookOf({100}, {{{90}}, {{80}}});
    g.总人数 = c.students;
    run(g);
    c.bands.push_back("");
    EXPECT_THAT(cellTexts(sh, 3, 3, 2 + int(c.bands.size())), ElementsAreArray(c.bands))
        << c.students;
    EXPECT_THAT(cellTexts(sh, 7, 3, 2 + int(c.bands.size())), ElementsAreArray(c.bands))
        << c.students;
  }
}

TEST_F(RankBandSheet, FreshSheetLayout) {
  GradeBook g = bookOf({100}, {{{90}, {70}, {kAbsent}}, {{80}}});
  g.总人数 = 650;
  run(g);

  EXPECT_EQ(text(sh, 2, 4), "语文");
  EXPECT_THAT(cellTexts(sh, 3, 1, 3), ElementsAre("班级", "参考人数", "前60名"));
  // Cumulative bands: the absent student holds no rank in the subject but one in the total.
  EXPECT_THAT(cellTexts(sh, 4, 1, 14),
              ElementsAre("1班", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", ""));
  EXPECT_THAT(cellTexts(sh, 8, 1, 4), ElementsAre("1班", "3", "3", "3"));
  EXPECT_THAT(cellTexts(sh, 9, 1, 3), ElementsAre("2班", "1", "1"));
  EXPECT_EQ(text(sh, 6, 4), "总分");
  EXPECT_EQ(text(sh, 10, 1), "");  // no total rows on this sheet

  EXPECT_TRUE(gridExactly(sh, {3, 1, 5, 13}));
  EXPECT_TRUE(gridExactly(sh, {7, 1, 9, 13}));
  EXPECT_THAT(sh.merges(), ElementsAre(host::Range{1, 1, 1, 11}, host::Range{1, 12, 1, 13}));
  EXPECT_EQ(sh.cell(1, 12), Variant::date(dateSerial({2026, 12, 6})));
}

TEST_F(RankBandSheet, CountsATeachersDisjointBands) {
  GradeBook g = bookOf({100}, {{{0}, {0}, {0}, {0}, {0}, {0}}});
  const int16_t ranks[] = {1, 10, 11, 20, 21, 25};
  for (int s = 1; s <= 6; ++s) g.schoolRanks(1, s, 1) = ranks[s - 1];
  const char* header[] = {"班级", "人数", "1-10", "11-20", "21-"};
  for (int col = 1; col <= 5; ++col) sh.setCell(3, col, header[col - 1]);
  run(g);
  EXPECT_THAT(cellTexts(sh, 4, 1, 6), ElementsAre("1班", "6", "2", "2", "2", ""));
  EXPECT_EQ(text(sh, 2, 4), "");  // the subject name comes only with a default header
  EXPECT_EQ(text(sh, 5, 4), "总分");
  EXPECT_TRUE(gridExactly(sh, {3, 1, 4, 5}));
}

}  // namespace
}  // namespace valdrex
