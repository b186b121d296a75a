#include "run/statistics_run.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/memory_workbook.h"
#include "host/scripted_ui.h"

namespace valdrex {
namespace {

const char* const kReportSheets[] = {"输出表",     "各班详细排名", "各班排名表",
                                     "年级排名表", "年级详细排名", "两率一分",
                                     "完成率表",   "分数段统计",   "名次段统计"};

// Writes cells of one row from column 1; "" leaves a cell empty, texts are typed input.
void row(host::Worksheet& sh, int r, std::initializer_list<const char*> cells) {
  int col = 1;
  for (const char* c : cells) {
    if (*c) sh.setCell(r, col, Variant::text(c));
    ++col;
  }
}

// Two classes and two subjects; every report sheet present except `missing`.
void fillWorkbook(host::MemoryWorkbook& wb, const std::string& missing = "") {
  for (const char* name : kReportSheets)
    if (name != missing) wb.addSheet(name);
  auto& scores = wb.addSheet("成绩表");
  row(scores, 2, {"", "", "", "100", "100"});
  row(scores, 3, {"班级", "座号", "姓名", "语文", "数学"});
  row(scores, 4, {"1", "1", "甲", "90", "80"});
  row(scores, 5, {"1", "2", "乙", "", "95"});
  row(scores, 6, {"2", "1", "丙", "70", "60"});
  row(scores, 7, {"2", "2", "丁", "85", "88"});
  auto& props = wb.addSheet("属性表");
  row(props, 3, {"满分", "100", "100", "200"});
  row(props, 4, {"优秀", "85", "85", "170"});
  row(props, 5, {"及格", "60", "60", "120"});
  row(props, 6, {"低分", "40", "40", "80"});
  row(props, 9, {"平均分", "0.3", "0.3", "0.3"});
  row(props, 10, {"优秀率", "0.25", "0.25", "0.25"});
  row(props, 11, {"及格率", "1", "1", "1"});
  row(props, 12, {"低分率", "0.5", "0.5", "0.5"});
  row(props, 18, {"1", "张", "李", "王"});
  row(props, 19, {"2", "赵", "钱", "孙"});
}

// Every sheet's cells, formats and merges, for comparing whole workbooks.
std::string dump(const host::MemoryWorkbook& wb) {
  std::ostringstream out;
  for (std::size_t i = 0; i < wb.sheetCount(); ++i) {
    const host::MemorySheet& sh = wb.sheetAt(i);
    out << "[" << sh.name() << "]\n";
    sh.forEachCell([&](int r, int c, const host::Cell& cell) {
      out << r << "," << c << "=" << textOf(cell.value) << " b" << int(cell.format.borders) << "\n";
    });
    for (const host::Range& m : sh.merges())
      out << "merge " << m.row1 << "," << m.col1 << ":" << m.row2 << "," << m.col2 << "\n";
  }
  return out.str();
}

void run(GradeBook& g, host::MemoryWorkbook& wb, host::ScriptedUi& ui) {
  host::FixedClock clock;
  输出(g, wb, *wb.find("成绩表"), ui, clock);
}

TEST(StatisticsRun, FillsEverySheetEndsWithTheClosingMessageAndRepeatsExactly) {
  host::MemoryWorkbook wb;
  fillWorkbook(wb);
  auto g = std::make_unique<GradeBook>();
  host::ScriptedUi ui;
  run(*g, wb, ui);

  ASSERT_FALSE(ui.dialogs().empty());
  const auto& closing = ui.dialogs().back();
  EXPECT_EQ(closing.prompt, "成绩统计操作完成!");
  EXPECT_EQ(closing.style, host::kInformation);
  EXPECT_EQ(closing.title, "Quillan提示");
  EXPECT_EQ(textOf(wb.find("各班排名表")->cell(1, 1)), "1学生成绩表");
  EXPECT_EQ(textOf(wb.find("各班排名表")->cell(5, 1)), "2学生成绩表");
  EXPECT_EQ(textOf(wb.find("年级详细排名")->cell(3, 3)), "丁");  // 173, the best total
  EXPECT_EQ(textOf(wb.find("两率一分")->cell(14, 14)), "王");

  const std::string first = dump(wb);
  host::ScriptedUi ui2;
  run(*g, wb, ui2);
  EXPECT_EQ(dump(wb), first);
}

TEST(StatisticsRun, AMissingSheetSkipsOnlyTheStepsThatNeedIt) {
  // Sheets that nothing else is built from.
  const char* independent[] = {"各班详细排名", "两率一分", "完成率表", "分数段统计", "名次段统计"};
  for (const char* missing : kReportSheets) {
    host::MemoryWorkbook wb;
    fillWorkbook(wb, missing);
    auto g = std::make_unique<GradeBook>();
    host::ScriptedUi ui;
    run(*g, wb, ui);
    EXPECT_EQ(ui.messages().back(), "成绩统计操作完成!") << missing;
    for (const char* name : independent) {
      if (host::MemorySheet* sh = wb.find(name)) {
        EXPECT_GE(sh->usedRange().row2, 5) << name << " without " << missing;
      }
    }
  }
}

}  // namespace
}  // namespace valdrex
