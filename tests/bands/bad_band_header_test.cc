#include <gtest/gtest.h>

#include "band_book.h"
#include "support/scripted_ui.h"
#include "valdrex/bands/rank_bands.h"
#include "valdrex/bands/score_bands.h"

namespace valdrex {
namespace {

using testing::bookOf;
using testing::text;

// A header cell that is no band stops either band sheet at that cell: the teacher is told, the
// cell is shown, and nothing after it is written.
TEST(BandSheets, StopAtAHeaderCellThatIsNoBand) {
  using Sheet = void (*)(GradeBook&, host::Worksheet&, host::Ui&, host::Clock&);
  const struct {
    Sheet fill;
    const char* title;
  } sheets[] = {{分段统计, "Quillan提示：各分数段统计"},
                {名次分段统计, "Quillan提示：各名次段统计"}};
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
