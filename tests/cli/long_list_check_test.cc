// Check on what teachers' files hold beyond single defects: lists far longer than a class (blank
// class cells summed up, a list beyond the rows the loading can count), formulas never computed.
#include <gmock/gmock.h>

#include "cli/sample_workbook.h"
#include "cli/workbook_check.h"

namespace valdrex::cli {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

std::vector<std::string> findingsOf(host::MemoryWorkbook& wb) {
  std::vector<std::string> lines;
  for (const Finding& f : checkWorkbook(wb, std::nullopt).findings)
    lines.push_back(f.place + "：" + f.text);
  return lines;
}

TEST(LongListCheck, BlankClassCellsBeyondTheFirstTenAreSummedUp) {
  auto wb = sampleWorkbook({2, 10, 2, 1});  // students in rows 4-23
  host::MemorySheet& scores = *wb->find("成绩表");
  for (int row = 6; row <= 20; ++row) scores.setCell(row, 1, "");
  auto found = findingsOf(*wb);
  EXPECT_EQ(std::count_if(found.begin(), found.end(),
                          [](const std::string& f) { return f.find("班级为空") != f.npos; }),
            11);
  EXPECT_THAT(found, Contains("成绩表!A16：另有 5 行班级为空（从这一格起），这些学生都不会被统计"));
}

TEST(LongListCheck, AListBeyondTheCountableRowsIsWhyNothingLoads) {
  auto wb = sampleWorkbook({1, 3, 2, 1});
  host::MemorySheet& scores = *wb->find("成绩表");
  for (int row = 7; row <= 32800; ++row) scores.setCell(row, 2, Variant::number(1));
  auto found = findingsOf(*wb);
  EXPECT_THAT(found, Contains(HasSubstr("成绩表!B32767：名单一直排到第 32800 行")));
  EXPECT_LT(found.size(), 20u);

  scores.setCell(32767, 2, "");  // one row shorter: the list ends in time
  EXPECT_THAT(findingsOf(*wb), ::testing::Not(Contains(HasSubstr("名单一直排到"))));
}

TEST(FormulaCheck, AFormulaWithoutAStoredResultIsFoundAsAnAbsence) {
  auto wb = sampleWorkbook({1, 3, 2, 1});
  host::Cell& cell = wb->find("成绩表")->at(5, 4);
  cell.value = Variant();
  cell.formula = "E5+1";
  EXPECT_THAT(findingsOf(*wb), Contains(HasSubstr("成绩表!D5：公式没有保存计算结果")));

  cell.value = Variant::number(61);  // as a spreadsheet program saves it
  EXPECT_THAT(findingsOf(*wb), ::testing::IsEmpty());
}

}  // namespace
}  // namespace valdrex::cli
