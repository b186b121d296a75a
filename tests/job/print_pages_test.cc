// How a run's report sheets fall on printed pages: every table of the stacked-table sheets whole
// on one page, a page break before every class of the per-class lists, and the header rows
// repeated only where a table runs over a page.
#include <gtest/gtest.h>

#include "support/printed_pages.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

using testing::pageOf;

TEST(PrintPages, TablesPrintWholeAndEveryClassStartsAPage) {
  const SampleOptions grades[] = {
      {20, 30, 12, 3},  // the most classes and subjects: tables of 23 rows, many to a sheet
      {6, 45, 9, 2},    // the grade of a usual school
      {2, 100, 3, 5},   // classes longer than a page
  };
  for (const SampleOptions& grade : grades) {
    SCOPED_TRACE(std::to_string(grade.classes) + " classes of " + std::to_string(grade.students));
    // A new workbook's report sheets take the print titles a run would: they stay the sheet's.
    auto book = sampleWorkbook(grade);
    EXPECT_EQ(book->find("两率一分")->printLayout()->repeatFirstRow, 0);
    EXPECT_EQ(book->find("各班排名表")->printLayout()->repeatFirstRow,
              grade.students == 100 ? RankingSheetLayout::headerRow : 0);
    WorkbookJob job(std::move(book), "样例");
    SilentDefaults answers;
    FixedDate date({2026, 12, 7});
    ASSERT_TRUE(job.run(answers, date).ran);
    host::MemoryWorkbook& wb = job.workbook();
    const int tables = grade.subjects + 1;

    for (const TableSheetLayout* sheet :
         {&kTwoRatesLayout, &kCompletionLayout, &kScoreBandLayout, &kRankBandLayout}) {
      SCOPED_TRACE(sheet->name);
      const host::PrintLayout& layout = *wb.find(sheet->name)->printLayout();
      EXPECT_EQ(layout.headerTitle, sheet->name);
      EXPECT_EQ(layout.headerDate, "2026/12/7");
      EXPECT_EQ(layout.repeatFirstRow, 0) << "each page starts with a table's own header";
      // A table: its name, its header, a row per class and the total's, but for the rank bands.
      const int height = grade.classes + (sheet == &kRankBandLayout ? 2 : 3);
      std::vector<int> starts;
      for (int t = 1; t <= tables; ++t) {
        const int first = sheet->subjectNameRow(t, grade.classes);
        const int last = first + height - 1;
        EXPECT_EQ(pageOf(layout, first), pageOf(layout, last)) << "table " << t;
        starts.push_back(first);
      }
      for (int b : layout.rowBreaks)
        EXPECT_NE(std::find(starts.begin(), starts.end(), b), starts.end()) << "break at " << b;
      // The pages are filled: a table goes on the page before when it fits there.
      for (std::size_t i = 0; i < layout.rowBreaks.size(); ++i) {
        const int pageTop = i == 0 ? 1 : layout.rowBreaks[i - 1];
        const int tableEnd = layout.rowBreaks[i] + height - 1;
        EXPECT_GT(tableEnd - pageTop + 1, rowsPerPage(layout))
            << "break at " << layout.rowBreaks[i];
      }
    }

    const bool longClasses = grade.students + RankingSheetLayout::rowsBeforeEachClass >
                             rowsPerPage(*wb.find("各班排名表")->printLayout());
    for (const char* name : {"各班排名表", "各班详细排名"}) {
      SCOPED_TRACE(name);
      const host::PrintLayout& layout = *wb.find(name)->printLayout();
      std::vector<int> classStarts;
      for (int k = 2; k <= grade.classes; ++k)
        classStarts.push_back(1 +
                              (k - 1) * (grade.students + RankingSheetLayout::rowsBeforeEachClass));
      EXPECT_EQ(layout.rowBreaks, classStarts);
      // A class that runs over a page shows the header again at the top of the next.
      if (longClasses) {
        EXPECT_EQ(layout.repeatFirstRow, RankingSheetLayout::headerRow);
      } else {
        EXPECT_EQ(layout.repeatFirstRow, 0);
        for (int start : classStarts)
          EXPECT_EQ(pageOf(layout, start), pageOf(layout, start + grade.students + 1));
      }
    }
    EXPECT_EQ(longClasses, grade.students == 100);
  }
}

}  // namespace
}  // namespace valdrex
