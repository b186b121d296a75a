// The by-name interface: the member list, dispatch, argument checks and by-reference results.
#include "valdrex/automation/member_table.h"

#include <gtest/gtest.h>

#include "support/scripted_ui.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {
namespace {

class MemberTableTest : public testing::Test {
 protected:
  host::ScriptedUi ui;
  host::FixedClock clock;
  host::RecordingLauncher launcher;
  host::MemoryWorkbook wb{"/home/teacher/成绩/高一.xlsx"};
  host::BasicApplication app{ui, clock, launcher, &wb};
  ValdrexCls vd{app, DesktopLinks{"file:///doc/index.html", "file:///doc/help.html", "xdg-open"}};

  Variant call(std::string_view name, std::vector<Variant> args = {}) {
    return invoke(vd, name, args);
  }
  // The message of the failure the call raises, "" if none.
  std::string failure(std::string_view name, std::vector<Variant> args) {
    try {
      invoke(vd, name, args);
    } catch (const Failure& f) {
      return f.what();
    }
    return "";
  }
};

TEST_F(MemberTableTest, PropertiesReadAndWriteWithRangeChecks) {
  call("km", {Variant::number(7)});
  EXPECT_EQ(call("km"), Variant::integer(7));
  EXPECT_EQ(vd.km(), 7);
  call("t", {Variant::number(100000)});
  EXPECT_EQ(call("t"), Variant::long_(100000));
  EXPECT_THROW(call("km", {Variant::number(40000)}), Failure);
  EXPECT_THROW(call("bjhh", {Variant::number(-32769)}), Failure);
  EXPECT_THROW(call("t", {Variant::number(3e9)}), Failure);
  EXPECT_THROW(vd.总人数(Variant::long_(32768)), Failure);
  EXPECT_EQ(vd.km(), 7);  // a failed write changes nothing
  EXPECT_NE(failure("班级数", {Variant("很多")}).find("班级数"), std::string::npos);
}

TEST_F(MemberTableTest, BadCallsNameTheMember) {
  const std::pair<const char*, std::vector<Variant>> calls[] = {
      {"不存在", {}},
      {"求和", {Variant::number(1)}},
      {"初始化", {}},
      {"初始化", {Variant("成绩表")}},
      {"输出", {Variant(), Variant::object(&wb), Variant::object(&wb)}},
      {"计数器", {Variant("x"), Variant::integer(1), Variant("90-80")}},
  };
  for (const auto& [name, args] : calls)
    EXPECT_NE(failure(name, args).find(name), std::string::npos) << name;
}

TEST_F(MemberTableTest, CounterTrimsTheCallersLabel) {
  std::vector<Variant> args = {Variant::integer(1), Variant::integer(1), Variant("  90-80 ")};
  invoke(vd, "计数器", args);
  EXPECT_EQ(args[2], Variant("90-80"));
  int16_t k = 1, b = 1;
  std::string s = " 前10 ";
  vd.计数器2(k, b, s);
  EXPECT_EQ(s, "前10");
}

TEST_F(MemberTableTest, HelpOpensTheProductPageOrTheFileBesideTheWorkbook) {
  ui.queueButton(host::Button::yes);
  call("帮助");
  ui.queueButton(host::Button::no);
  call("帮助");
  ASSERT_EQ(launcher.commands.size(), 2u);
  EXPECT_EQ(launcher.commands[0], (std::vector<std::string>{"xdg-open", "file:///doc/help.html"}));
  EXPECT_EQ(launcher.commands[1],
            (std::vector<std::string>{"xdg-open", "/home/teacher/成绩/说明.txt"}));
  EXPECT_EQ(ui.dialogs()[0].prompt, "是否连接到互联网?");
  EXPECT_EQ(ui.dialogs()[0].style, host::MessageStyle::yesNoQuestion);
  EXPECT_EQ(ui.dialogs()[0].title, "Valdrex提示");

  call("主页");
  EXPECT_EQ(launcher.commands[2], (std::vector<std::string>{"xdg-open", "file:///doc/index.html"}));

  // One separator between folder and file; a workbook never saved has no folder.
  EXPECT_EQ(helpFilePath("/home/t"), "/home/t/说明.txt");
  EXPECT_EQ(helpFilePath("/"), "/说明.txt");
  EXPECT_EQ(helpFilePath(""), "/说明.txt");
}

TEST_F(MemberTableTest, SaveGoesThroughTheCallingWorkbook) {
  int saves = 0;
  wb.setSaver([&](host::MemoryWorkbook&) { ++saves; });
  call("保存");
  EXPECT_EQ(saves, 1);

  host::BasicApplication noWorkbook{ui, clock, launcher};
  ValdrexCls orphan{noWorkbook};
  std::vector<Variant> none;
  EXPECT_THROW(invoke(orphan, "保存", none), Failure);
}

}  // namespace
}  // namespace valdrex
