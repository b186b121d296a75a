// `valdrex run` end to end: the program on sample workbooks, the results read back by openpyxl.
#include <gmock/gmock.h>

#include "cli_process.h"
#include "valdrex/io/xlsx_reader.h"

namespace valdrex::cli::testing {
namespace {

using ::testing::HasSubstr;

// Prints "name rows" for every sheet with at least one value.
const char* kFilledSheets =
    "for ws in wb.worksheets:\n"
    "    n = sum(1 for row in ws.iter_rows(values_only=True) for v in row if v is not None)\n"
    "    print(ws.title, n)";

TEST(RunCommand, WritesEveryReportBesideTheUntouchedInput) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  writeSample(dir / "grade.xlsx");
  const std::string before = slurp(dir / "grade.xlsx");

  Outcome o = valdrex(dir, {"run", "grade.xlsx", "--date", "2025-03-04"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_THAT(o.err, HasSubstr("【Valdrex提示】成绩统计操作完成!"));
  EXPECT_THAT(o.out, HasSubstr("grade.xlsx：3 个班，24 名学生，3 个科目；写入 9 张报告表"));
  EXPECT_THAT(o.out, HasSubstr("；统计图表 8 幅"));
  EXPECT_THAT(
      valdrex(dir, {"run", "grade.xlsx", "--no-charts", "-o", "plain.xlsx"}).out,
      ::testing::AllOf(HasSubstr("写入 9 张报告表"), ::testing::Not(HasSubstr("统计图表"))));
  EXPECT_EQ(slurp(dir / "plain.xlsx").find("xl/charts/"), std::string::npos);  // part names
  EXPECT_EQ(slurp(dir / "grade.xlsx"), before);

  const std::string sheets = python(dir / "grade-统计结果.xlsx", kFilledSheets);
  for (const char* name : {"输出表", "各班详细排名", "各班排名表", "年级排名表", "年级详细排名",
                           "两率一分", "完成率表", "分数段统计", "名次段统计"})
    EXPECT_THAT(sheets, ::testing::ContainsRegex(std::string(name) + " [1-9]")) << sheets;
  // The fixed date reaches the title rows; the unanswered targets take their defaults.
  EXPECT_EQ(python(dir / "grade-统计结果.xlsx",
                   "print([c.value.date() for c in wb['两率一分'][1] if c.value][0])\n"
                   "print([c.value for c in wb['完成率表']['A'] if c.value and '各班一档' in "
                   "str(c.value)])"),
            "2025-03-04\n['各班一档指标数：5，各班二档指标数：20。总分综合积分=一档完成率×0.4+"
            "二档完成率×0.3+平均分完成率×0.3']\n");
}

TEST(RunCommand, MissingReportSheetsAreAddedWithANote) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  auto wb = sampleWorkbook({2, 5, 2, 1});
  host::MemoryWorkbook trimmed;
  for (const char* name : {"成绩表", "属性表"}) {
    host::MemorySheet& to = trimmed.addSheet(name);
    wb->find(name)->forEachCell([&](int r, int c, const host::Cell& cell) { to.at(r, c) = cell; });
  }
  io::writeWorkbook(trimmed, (dir / "bare.xlsx").string());

  Outcome o = valdrex(dir, {"run", "bare.xlsx", "-o", "out.xlsx"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_THAT(o.err,
              HasSubstr("注意：名次段统计：缺少报告表“名次段统计”（valdrex run 会在末尾添加）"));
  EXPECT_THAT(o.out, HasSubstr("没有警告"));
  EXPECT_THAT(python(dir / "out.xlsx", kFilledSheets), HasSubstr("名次段统计 "));
}

TEST(RunCommand, OneBrokenWorkbookDoesNotStopTheOthers) {
  ScratchFolder dir;
  writeSample(dir / "a.xlsx");
  writeSample(dir / "b.xlsx", {2, 4, 2, 9});
  spit(dir / "broken.xlsx", "this is no workbook");

  Outcome o = valdrex(dir, {"run", "a.xlsx", "broken.xlsx", "b.xlsx"});
  EXPECT_EQ(o.status, 3);
  EXPECT_TRUE(fs::exists(dir / "a-统计结果.xlsx"));
  EXPECT_TRUE(fs::exists(dir / "b-统计结果.xlsx"));
  EXPECT_THAT(o.out, HasSubstr("a.xlsx：3 个班，24 名学生"));
  EXPECT_THAT(o.out, HasSubstr("b.xlsx：2 个班，8 名学生"));
  EXPECT_THAT(o.out, HasSubstr("broken.xlsx：未完成（退出码 3）"));
  // Several workbooks: every line says which one it is about.
  EXPECT_THAT(o.err, HasSubstr("[broken.xlsx] 无法读取工作簿"));
  EXPECT_THAT(o.err, HasSubstr("[b.xlsx] 【Valdrex提示】成绩统计操作完成!"));
}

TEST(RunCommand, AProblemMessageGivesStatusOneAndNamesTheCell) {
  ScratchFolder dir;
  auto wb = sampleWorkbook({2, 5, 2, 1});
  host::MemorySheet& bands = *wb->find("分数段统计");  // a band header the counters cannot read
  bands.setCell(3, 3, "100");
  bands.setCell(3, 4, "很好");
  io::writeWorkbook(*wb, (dir / "g.xlsx").string());

  Outcome o = valdrex(dir, {"run", "g.xlsx"});
  EXPECT_EQ(o.status, 1) << o.err;
  EXPECT_THAT(o.err, HasSubstr("区间划分格式错误!请参照默认格式.\n  位置：分数段统计!D3\n"));
  EXPECT_THAT(o.out, HasSubstr("写入 9 张报告表"));
  EXPECT_THAT(o.out, HasSubstr("警告 1 条；")) << "the message is listed in the summary";
  EXPECT_THAT(o.out, HasSubstr("\n  警告：【Valdrex提示：各分数段统计】区间划分格式错误!"));
}

TEST(RunCommand, BadArgumentsChangeNothing) {
  ScratchFolder dir;
  writeSample(dir / "a.xlsx");
  writeSample(dir / "b.xlsx");
  const std::vector<std::vector<std::string>> cases = {
      {"run", "a.xlsx", "--targets", "20,5"},
      {"run", "a.xlsx", "--date", "2025-02-30"},
      {"run", "a.xlsx", "b.xlsx", "-o", "x.xlsx"},
      {"run", "a.xlsx", "-o", "a.xlsx"},
      {"run", "a.xlsx", "a.xlsx"},
      {"run", "--in-place"},
      {"run", "a.xlsx", "--sheet", "没有这张表"},
      {"run", "a.xlsx", "--no-such-option"},
      {},
  };
  for (const auto& args : cases) {
    Outcome o = valdrex(dir, args);
    EXPECT_EQ(o.status, 2) << ::testing::PrintToString(args) << o.err;
    EXPECT_THAT(o.err, HasSubstr("请")) << "every error says what to do: " << o.err;
  }
  EXPECT_FALSE(fs::exists(dir / "a-统计结果.xlsx"));
  EXPECT_FALSE(fs::exists(dir / "x.xlsx"));
}

// The completion tiers count classes × target students in 16 bits: beyond that the sheet could
// not be written, and a rerun would have left the earlier targets' table standing.
TEST(RunCommand, ASecondTargetTooLargeForTheClassesRefusesTheWorkbook) {
  ScratchFolder dir;
  writeSample(dir / "g.xlsx");  // 3 classes: 3 × 10922 = 32766
  Outcome largest = valdrex(dir, {"run", "g.xlsx", "--targets", "5,10922"});
  ASSERT_EQ(largest.status, 0) << largest.err;
  EXPECT_THAT(largest.out, HasSubstr("没有警告"));
  const std::string first = slurp(dir / "g-统计结果.xlsx");

  Outcome o = valdrex(dir, {"run", "g.xlsx", "--targets", "5,10923"});
  EXPECT_EQ(o.status, 2) << o.err;
  EXPECT_THAT(o.err, HasSubstr("二档指标数 10923 太大：工作簿 g.xlsx 有 3 个班"));
  EXPECT_THAT(o.err, HasSubstr("二档指标数最大为 10922"));
  EXPECT_EQ(slurp(dir / "g-统计结果.xlsx"), first);
}

TEST(RunCommand, WithoutWorkbooksRunsTheBuiltInSample) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  Outcome o = valdrex(dir, {"run"}, "7\n9\n");  // piped input is no terminal: defaults apply
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_THAT(
      o.out,
      HasSubstr("4 个班，160 名学生，6 个科目；写入 9 张报告表 → valdrex示例-统计结果.xlsx"));
  EXPECT_THAT(o.err, HasSubstr("请输入每班一档完成指标数！ 5（默认值）"));
  EXPECT_THAT(python(dir / "valdrex示例-统计结果.xlsx", kFilledSheets), HasSubstr("名次段统计"));
}

}  // namespace
}  // namespace valdrex::cli::testing
