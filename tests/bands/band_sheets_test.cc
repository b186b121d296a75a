// The score and rank band sheets: their default headers, a teacher's own header, and a header
// cell that is no band.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "band_book.h"
#include "support/scripted_ui.h"
#include "valdrex/bands/rank_bands.h"
#include "valdrex/bands/score_bands.h"
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

// A band sheet on a fresh workbook, filled by `fill`.
template <auto fill, const char* name>
class BandSheet : public ::testing::Test {
 protected:
  void run(GradeBook& g) { fill(g, sh, ui, clock); }

  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet(name);
  host::ScriptedUi ui;
  host::FixedClock clock{{2026, 12, 6}};
};
constexpr char kScoreBands[] = "分数段统计", kRankBands[] = "名次段统计";
using ScoreBandSheet = BandSheet<writeScoreBands, kScoreBands>;
using RankBandSheet = BandSheet<writeRankBands, kRankBands>;

TEST_F(ScoreBandSheet, DefaultHeaderFollowsTheFullMark) {
  const struct {
    int16_t full;
    Strings bands;
  } cases[] = {
      {100,
       {"100", "100-90", "90-80", "80-70", "70-60", "60-50", "50-40", "40-30", "30-20", " 20以下",
        " 60以下"}},
      {150,
       {"150", "150-135", "135-120", "120-105", "105-90", "90-75", "75-60", "60-45", "45-30",
        " 30以下", " 90以下"}},
      {75,
       {"75", "75-67.5", "67.5-60", "60-52.5", "52.5-45", "45-37.5", "37.5-30", "30-22.5",
        "22.5-15", " 15以下", " 45以下"}},
      // A total of six papers: beyond what 16-bit arithmetic of the loop bound could hold.
      {1800,
       {"1800", "1800-1620", "1620-1440", "1440-1260", "1260-1080", "1080-900", "900-720",
        "720-540", "540-360", " 360以下", " 1080以下"}},
  };
  for (const auto& c : cases) {
    sh.clear(sh.usedRange());  // a fresh sheet each time
    GradeBook g = bookOf({c.full}, {{{1}}});
    run(g);
    Strings expected = {"班级", "参考人数"};
    expected.insert(expected.end(), c.bands.begin(), c.bands.end());
    expected.insert(expected.end(), {"最高分", "最低分", ""});
    EXPECT_THAT(cellTexts(sh, 3, 1, 16), ElementsAreArray(expected)) << c.full;
    // The total's table (same full mark here) got its header and rows too.
    EXPECT_THAT(cellTexts(sh, 7, 4, 4), ElementsAre(c.bands[1])) << c.full;
    EXPECT_EQ(text(sh, 9, 1), "合计") << c.full;
  }
}

TEST_F(ScoreBandSheet, TwoClassesOnAFreshSheetThenUnderATeachersHeader) {
  sh.setCell(40, 40, "上次留下的");
  GradeBook g = bookOf({100}, {{{100}, {95}, {59}, {30}}, {{85}, {62}, {kAbsent}}});
  run(g);

  EXPECT_EQ(text(sh, 40, 40) + text(sh, 2, 4), "语文");
  EXPECT_THAT(cellTexts(sh, 4, 1, 16), ElementsAre("1班", "4", "1", "1", "0", "0", "0", "1", "0",
                                                   "1", "0", "0", "2", "100", "30", ""));
  EXPECT_THAT(cellTexts(sh, 5, 1, 15), ElementsAre("2班", "2", "0", "0", "1", "0", "1", "0", "0",
                                                   "0", "0", "0", "0", "85", "62"));
  // No sums under the highest and lowest scores.
  EXPECT_THAT(cellTexts(sh, 6, 1, 15), ElementsAre("合计", "6", "1", "1", "1", "0", "1", "1", "0",
                                                   "1", "0", "0", "2", "", ""));

  // The student without any score did not sit: not counted in the total, in no band, not lowest.
  EXPECT_EQ(text(sh, 7, 4), "总分");
  EXPECT_THAT(cellTexts(sh, 10, 1, 15), ElementsAre("2班", "2", "0", "0", "1", "0", "1", "0", "0",
                                                    "0", "0", "0", "0", "85", "62"));
  EXPECT_EQ(g.examineeCounts(2, 2), 2);
  EXPECT_EQ(text(sh, 11, 2), "6");

  EXPECT_TRUE(gridExactly(sh, {3, 1, 6, 15}));
  EXPECT_TRUE(gridExactly(sh, {8, 1, 11, 15}));
  EXPECT_THAT(sh.merges(), ElementsAre(host::Range{1, 1, 1, 13}, host::Range{1, 14, 1, 15}));
  EXPECT_EQ(sh.cell(1, 14), Variant::date(dateSerial({2026, 12, 6})));
  ASSERT_NE(sh.rowFormat(1), nullptr);
  EXPECT_EQ(sh.rowFormat(1)->align, host::HAlign::Center);

  // A teacher's own header is kept on the next run.
  const Strings own = {"85以上", "60-85", "90-", "60以下", "最高分", "最低分"};
  for (int col = 3; col <= 15; ++col)
    sh.setCell(3, col, col - 3 < int(own.size()) ? own[col - 3] : "");
  g.classNames(1) = "一班";
  run(g);

  EXPECT_THAT(cellTexts(sh, 3, 3, 9),
              ElementsAre("85以上", "60-85", "90-", "60以下", "最高分", "最低分", ""));
  EXPECT_THAT(cellTexts(sh, 4, 1, 8), ElementsAre("一班", "4", "2", "0", "2", "2", "100", "30"));
  EXPECT_THAT(cellTexts(sh, 5, 1, 8), ElementsAre("2班", "2", "1", "1", "2", "0", "85", "62"));
  EXPECT_THAT(cellTexts(sh, 6, 1, 6), ElementsAre("合计", "6", "3", "1", "4", "2"));
  EXPECT_EQ(text(sh, 8, 4), "100-90");  // the total's table kept its default header
  EXPECT_TRUE(ui.dialogs().empty());
}

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
    g.studentCount = c.students;
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
  g.studentCount = 650;
  run(g);

  EXPECT_EQ(text(sh, 2, 4), "语文");
  EXPECT_THAT(cellTexts(sh, 3, 1, 3), ElementsAre("班级", "参考人数", "前60名"));
  // Cumulative bands: the absent student holds no rank, neither in the subject nor in the total.
  EXPECT_THAT(cellTexts(sh, 4, 1, 14),
              ElementsAre("1班", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", ""));
  EXPECT_THAT(cellTexts(sh, 8, 1, 4), ElementsAre("1班", "2", "2", "2"));
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

// A header cell that is no band stops either band sheet at that cell: the teacher is told, the
// cell is shown, and nothing after it is written.
TEST(BandSheets, StopAtAHeaderCellThatIsNoBand) {
  using Sheet = void (*)(GradeBook&, host::Worksheet&, host::Ui&, host::Clock&);
  const struct {
    Sheet fill;
    const char* title;
  } sheets[] = {{writeScoreBands, "Valdrex提示：各分数段统计"},
                {writeRankBands, "Valdrex提示：各名次段统计"}};
  for (const auto& s : sheets) {
    host::MemoryWorkbook wb;
    wb.addSheet("成绩表");
    host::MemorySheet& sh = wb.addSheet("统计");
    host::ScriptedUi ui;
    host::FixedClock clock;
    GradeBook g = bookOf({100}, {{{95}, {40}}, {{70}}});
    for (int col : {3, 4, 5}) sh.setCell(3, col, col == 4 ? "abc" : "90-");
    wb.activeSheet = 0;
    s.fill(g, sh, ui, clock);

    ASSERT_EQ(ui.dialogs().size(), 1u) << s.title;
    const auto& d = ui.dialogs()[0];
    EXPECT_EQ(d.prompt + "|" + d.title, "区间划分格式错误!请参照默认格式.|" + std::string(s.title));
    EXPECT_EQ(d.style, host::MessageStyle::plainSecondDefault);
    EXPECT_EQ(sh.selection(), std::make_pair(3, 4)) << s.title;
    EXPECT_EQ(wb.activeSheet, 1u) << s.title;
    EXPECT_EQ(text(sh, 4, 1), "1班") << s.title;
    EXPECT_NE(text(sh, 4, 3), "") << s.title;
    // The second class is never reached, nor a total row, the next table or the title row.
    EXPECT_EQ(sh.usedRange().row2, 4) << s.title;
    EXPECT_TRUE(sh.merges().empty()) << s.title;
  }
}

}  // namespace
}  // namespace valdrex
