// Option values of `valdrex run` and the names of the files it writes.
#include <gmock/gmock.h>

#include "cli/run_command.h"
#include "valdrex/job/files/output_paths.h"

namespace valdrex::cli {
namespace {

// Teachers type with a Chinese input method: full-width and ideographic commas and spaces.
TEST(RunArguments, TargetsAreTwoOrderedWholeNumbersIn16Bits) {
  const struct {
    const char* text;
    int first, second;  // 0: rejected
  } cases[] = {
      {"5,20", 5, 20},   {"1,1", 1, 1},     {"7,32767", 7, 32767},
      {"20,5", 0, 0},    {"0,5", 0, 0},     {"5,32768", 0, 0},
      {"5", 0, 0},       {"5,20,30", 0, 0}, {"-1,5", 0, 0},
      {"2.5,6", 0, 0},   {"", 0, 0},        {"99999999999,1", 0, 0},
      {"5，20", 5, 20},  {"5、20", 5, 20},  {" 5 ，\u300020 ", 5, 20},
      {"5，，20", 0, 0},
  };
  for (const auto& c : cases) {
    auto t = parseTargets(c.text);
    if (c.first == 0) {
      EXPECT_EQ(t, std::nullopt) << c.text;
    } else {
      ASSERT_TRUE(t) << c.text;
      EXPECT_EQ(t->first, c.first);
      EXPECT_EQ(t->second, c.second);
    }
  }
}

TEST(RunArguments, DatesMustExistOnTheCalendar) {
  EXPECT_EQ(parseDate("2024-02-29"), (CivilDate{2024, 2, 29}));
  for (const char* bad : {"2023-02-29", "1900-02-29", "2025-13-01", "2025-04-31", "2025-4-1",
                          "20250401", "2025-04-01x", "abcd-ef-gh"})
    EXPECT_EQ(parseDate(bad), std::nullopt) << bad;
}

TEST(RunArguments, ResultAndBackupSitBesideTheInput) {
  EXPECT_EQ(resultPath("dir/成绩.xlsx"), "dir/成绩-统计结果.xlsx");
  EXPECT_EQ(resultPath("dir/宏.XLSM"), "dir/宏-统计结果.XLSM");
  EXPECT_EQ(resultPath("旧.xls"), "旧-统计结果.xlsx");
  EXPECT_EQ(backupPath("/a/b.c/成绩.xlsm"), "/a/b.c/成绩-备份.xlsm");
  EXPECT_TRUE(sameFile("x/../成绩.xlsx", "./成绩.xlsx"));
  EXPECT_FALSE(sameFile("a.xlsx", "b.xlsx"));
}

}  // namespace
}  // namespace valdrex::cli
