// The options of the sheets written only when asked: their values, a workbook's name after
// --segments, and a later run that does not ask.
#include <gmock/gmock.h>

#include "cli_process.h"
#include "valdrex/io/xlsx_reader.h"

namespace valdrex::cli::testing {
namespace {

using ::testing::HasSubstr;

TEST(AskedSheetsCli, BadValuesAreRefusedBeforeAnything) {
  ScratchFolder dir;
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"run", "--segment-step", "0.25"}, "--segment-step 应为大于 0、最多一位小数的分数"},
      {{"run", "--segment-step", "0"}, "--segment-step 应为"},
      {{"run", "--margin", "0"}, "--margin 应为大于 0、不超过 100"},
      {{"run", "--margin", "101"}, "--margin 应为"},
      {{"run", "--segments=各科"}, "--segments 后只能写 all"},
      {{"run", "--levels", "A:50,B:40"}, "加起来是 90，应为 100"},
      {{"run", "--levels-by-score", "A:60,B:75"}, "等级“B”的分数线应低于上一等级的"},
      {{"run", "--levels", "--levels-by-score", "A:90"}, "只能用一个"},
  };
  for (const auto& c : cases) {
    const Outcome o = valdrex(dir, c.args);
    EXPECT_EQ(o.status, 2) << c.args[1];
    EXPECT_THAT(o.err, HasSubstr(c.says));
  }
}

TEST(AskedSheetsCli, WrittenWhenAskedAndKeptWithANoteOtherwise) {
  ScratchFolder dir;
  writeSample(dir / "期末.xlsx");
  // The workbook after --segments is a workbook, not the flag's value.
  Outcome o = valdrex(dir, {"run", "--targets", "2,4", "--segments", "期末.xlsx", "--near",
                            "--segment-step", "2.5", "--margin", "2.5"});
  ASSERT_EQ(o.status, 0) << o.err;
  auto wb = io::readWorkbook((dir / "期末-统计结果.xlsx").string());
  ASSERT_TRUE(wb->find("临界生"));
  EXPECT_THAT(
      textOf(wb->find("一分一段表")->cell(4, 1)),
      ::testing::AnyOf(::testing::EndsWith(".4"), ::testing::EndsWith(".9")));  // 2.5-point steps
  EXPECT_THAT(textOf(wb->find("临界生")->cell(4, 1)), HasSubstr("总分：差一点到优秀线"));

  o = valdrex(dir, {"run", "--targets", "2,4", "期末-统计结果.xlsx", "-o", "再次.xlsx"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_THAT(o.err, HasSubstr("注意：“一分一段表”是早先一次统计写的，这次统计没有更新它。"));
  o = valdrex(dir,
              {"run", "--targets", "2,4", "--segments", "all", "期末.xlsx", "-o", "各科.xlsx"});
  ASSERT_EQ(o.status, 0) << o.err;
  wb = io::readWorkbook((dir / "各科.xlsx").string());
  EXPECT_EQ(wb->find("临界生"), nullptr);
  EXPECT_EQ(wb->sheetAt(wb->sheetCount() - 1).name(), "一分一段表");
}

// Slips with levels against an earlier exam, and a bare --levels before a workbook's name.
TEST(AskedSheetsCli, SlipsWithLevelsAndTheChange) {
  ScratchFolder dir;
  writeSample(dir / "期末.xlsx");
  writeSample(dir / "期中.xlsx");
  Outcome o = valdrex(dir, {"run", "--targets", "2,4", "--slips", "--levels", "期末.xlsx",
                            "--compare", "期中.xlsx", "--no-ranks"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_THAT(o.err + o.out, HasSubstr("不公布名次"));
  auto wb = io::readWorkbook((dir / "期末-统计结果.xlsx").string());
  const host::MemorySheet& slips = *wb->find("成绩条");
  const int last = slips.usedRange().col2;
  EXPECT_EQ(textOf(slips.cell(1, last)), "上次总分等级");
  EXPECT_EQ(textOf(slips.cell(1, last - 1)), "总分变化");
  EXPECT_EQ(textOf(slips.cell(1, last - 2)), "总分等级");
  EXPECT_EQ(numericValue(slips.cell(2, last - 1)), 0);  // the same scores both times
  EXPECT_THAT(textOf(slips.cell(2, last - 2)), ::testing::MatchesRegex("[A-E]"));
  EXPECT_EQ(textOf(slips.cell(2, last)), textOf(slips.cell(2, last - 2)));
  // 进退步 without ranks, with each exam's level of the total.
  const host::MemorySheet& progress = *wb->find("进退步");
  const int levels = progress.usedRange().col2;
  EXPECT_TRUE(progress.cell(4, 7).isEmpty()) << "no rank in 进退步";
  EXPECT_EQ(textOf(progress.cell(3, levels)), "本次总分等级");
  EXPECT_EQ(textOf(progress.cell(4, levels)), textOf(progress.cell(4, levels - 1)));
  EXPECT_THAT(textOf(progress.cell(4, levels)), ::testing::MatchesRegex("[A-E]"));
}

TEST(AskedSheetsCli, ComparedWithAnEarlierExam) {
  ScratchFolder dir;
  writeSample(dir / "期末.xlsx");
  writeSample(dir / "期中.xlsx");
  Outcome o = valdrex(dir, {"run", "--targets", "2,4", "期末.xlsx", "--compare", "没有.xlsx"});
  EXPECT_NE(o.status, 0);
  EXPECT_THAT(o.err + o.out, HasSubstr("对比的工作簿不能用。无法读取工作簿 没有.xlsx"));
  EXPECT_FALSE(fs::exists(dir / "期末-统计结果.xlsx"));
  o = valdrex(dir,
              {"run", "--targets", "2,4", "期末.xlsx", "--compare", "期中.xlsx", "--step", "5"});
  ASSERT_EQ(o.status, 0) << o.err;
  auto wb = io::readWorkbook((dir / "期末-统计结果.xlsx").string());
  // The same students: every one paired, none moved.
  const host::MemorySheet& summary = *wb->find("进退步汇总");
  EXPECT_EQ(textOf(summary.cell(3 + 3 + 1, 1)), "合计");
  EXPECT_EQ(numericValue(summary.cell(3 + 3 + 1, 2)), 3 * 8);
  EXPECT_EQ(numericValue(summary.cell(3 + 3 + 1, 5)), 3 * 8);
  EXPECT_THAT(textOf(summary.cell(3 + 3 + 2, 1)), HasSubstr("上升 5 名"));
}

}  // namespace
}  // namespace valdrex::cli::testing
