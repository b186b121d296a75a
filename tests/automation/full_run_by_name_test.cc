// A whole compilation driven only through calls by name, as a workbook's macro drives it.
#include <gtest/gtest.h>

#include "gradebook/grade_sheet.h"
#include "support/scripted_ui.h"
#include "support/sheet_dump.h"
#include "valdrex/automation/member_table.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {
namespace {

const char* kReports[] = {"输出表",   "各班详细排名", "各班排名表", "年级排名表", "年级详细排名",
                          "两率一分", "完成率表",     "分数段统计", "名次段统计"};

// Four students of two classes; 语文 is marked out of 150 and scaled to 100.
void fillWorkbook(host::MemoryWorkbook& wb) {
  GradeSheet::write(wb.addSheet("成绩表"), 2,
                    {"|||150|100", "班级|座号|姓名|语文|数学", "1|1|张三|135|90", "1|2|李四|90|",
                     "2|1|王五|120|60", "2|2|赵六|60|30"});
  GradeSheet::write(wb.addSheet("属性表"), 3,
                    {"满分|100|100|200", "优秀|85|85|170", "及格|60|60|120", "低分|40|40|80", "",
                     "", "权重|1|1|1", "权重|1|1|1", "权重|1|1|1", "低分率|1|1|1", "权重|1|1|1",
                     "权重|1|1|1", "权重|1|1|1", "", "", "1|甲|乙|丙", "2|丁|戊|己"});
  for (const char* name : kReports) wb.addSheet(name);
}

// The workbook's own object, kept across calls as the macro keeps it.
struct FullRunByName : ::testing::Test {
  FullRunByName() { fillWorkbook(wb); }
  host::ScriptedUi ui;
  host::FixedClock clock{{2026, 12, 6}};
  host::RecordingLauncher launcher;
  host::MemoryWorkbook wb;
  host::BasicApplication app{ui, clock, launcher, &wb};
  ValdrexCls vd{app};
};

TEST_F(FullRunByName, MacroStyleRunFillsEveryReportAndRepeatsIdentically) {
  auto& scores = *wb.find("成绩表");
  std::vector<Variant> args = {Variant::object(&app), Variant::object(&wb),
                               Variant::object(&scores)};
  invoke(vd, "输出", args);

  ASSERT_FALSE(ui.messages().empty());
  EXPECT_EQ(ui.messages().back(), "成绩统计操作完成!");
  EXPECT_EQ(ui.dialogs().back().style, host::MessageStyle::information);
  std::vector<Variant> none;
  EXPECT_EQ(invoke(vd, "班级数", none), Variant::integer(2));
  EXPECT_EQ(invoke(vd, "总人数", none), Variant::integer(4));
  EXPECT_EQ(invoke(vd, "km", none), Variant::integer(2));

  for (const char* name : kReports)
    EXPECT_GT(wb.find(name)->cellCount(), 4u) << name << " was left empty";
  // What the reports hold is checked on the run itself; here, that the kept object repeats it.
  const std::string whole = testing::dump(wb);
  invoke(vd, "输出", args);
  EXPECT_EQ(testing::dump(wb), whole);
}

// t is the working value of the last rounding, and only the members that round change it.
TEST_F(FullRunByName, TKeepsTheLastRoundingOfTheMembersThatRound) {
  Variant scores = Variant::object(wb.find("成绩表"));
  Variant properties = Variant::object(wb.find("属性表"));
  std::vector<Variant> seven = {Variant::long_(7)};
  invoke(vd, "t", seven);

  const struct {
    const char* member;
    std::vector<Variant> args;
    int32_t t;
  } steps[] = {
      {"初始化", {scores}, 7},
      {"载入班级", {scores}, 7},
      {"载入成绩", {scores, properties}, 300},  // 赵六's 数学, 30, the last score read
      {"求和", {}, 300},
      {"各科排名", {}, 300},
      {"统计", {properties}, 300},
      {"分段统计", {Variant::object(wb.find("分数段统计"))}, 300},
      // The last table's "合计" average of "完成率表": 450 points over 4 students.
      {"输出", {Variant::object(&app), Variant::object(&wb), scores}, 11250},
  };
  for (const auto& step : steps) {
    std::vector<Variant> args = step.args;
    invoke(vd, step.member, args);
    std::vector<Variant> none;
    EXPECT_EQ(invoke(vd, "t", none), Variant::long_(step.t)) << step.member;
  }
}

}  // namespace
}  // namespace valdrex
