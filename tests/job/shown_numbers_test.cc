// Rates and averages show two decimals on every table of "两率一分" and "完成率表", the total row
// included, and nothing else changes how it shows.
#include <gtest/gtest.h>

#include <set>

#include "valdrex/gradebook/report_layout.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

std::string formatOf(const host::MemorySheet& sh, int row, int col) {
  const host::Cell* cell = sh.find(row, col);
  return cell ? cell->format.numberFormat.str() : "";
}

TEST(ShownNumbers, RatesAndAveragesShowTwoDecimalsAndTheValuesStay) {
  for (bool lowRate : {true, false}) {
    constexpr int classes = 3, subjects = 4;
    auto book = sampleWorkbook({classes, 12, subjects, 7});
    if (!lowRate) book->find("属性表")->setCell(12, 1, "");
    WorkbookJob job(std::move(book), "样例");
    SilentDefaults answers;
    FixedDate date({2026, 12, 6});
    ASSERT_TRUE(job.run(answers, date).ran);
    host::MemoryWorkbook& wb = job.workbook();
    // By header text, not by the layout the code uses: the columns a teacher sees as rates.
    const std::set<std::string> decimals = {"优秀率",     "及格率",       "平均分",
                                            "低分率",     "综合积分",     "一档完成率",
                                            "二档完成率", "平均分完成率", "综合完成率"};
    for (const TableSheetLayout& layout : {kTwoRatesLayout, kCompletionLayout}) {
      const host::MemorySheet& sh = *wb.find(layout.name);
      int shown = 0;
      for (int t = 1; t <= subjects + 1; ++t) {
        const int header = layout.headerRow(t, classes);
        for (int col = 1; !textOf(sh.cell(header, col)).empty(); ++col) {
          const std::string name = textOf(sh.cell(header, col));
          for (int row = header + 1; row <= layout.totalRow(t, classes); ++row) {
            const std::string want = decimals.count(name) ? "0.00" : "";
            EXPECT_EQ(formatOf(sh, row, col), want)
                << layout.name << " " << name << " row " << row << " lowRate " << lowRate;
            shown += !want.empty();
          }
        }
      }
      EXPECT_GT(shown, 0) << layout.name;
    }
    // The values are the run's own: a rate keeps all its digits.
    const host::MemorySheet& rates = *wb.find(kTwoRatesLayout.name);
    EXPECT_TRUE(rates.cell(kTwoRatesLayout.classRow(1, classes, 1), 5).isNumeric());
    EXPECT_EQ(textOf(rates.cell(kTwoRatesLayout.headerRow(1, classes), 8)),
              lowRate ? "低分率" : "综合积分");
  }
}

}  // namespace
}  // namespace valdrex
