// How the run's dialogs are answered and shown on the terminal.
#include "cli/terminal_ui.h"

#include <gmock/gmock.h>

#include <sstream>

namespace valdrex::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Optional;

struct Console {
  explicit Console(bool interactive, std::string typed = "")
      : in(std::move(typed)), terminal(in, out, err, interactive) {}
  std::istringstream in;
  std::ostringstream out, err;
  Terminal terminal;
};

TEST(TerminalUi, WithoutATerminalDefaultsAreTakenOnceThenCancelled) {
  Console c(false, "ignored\n");
  TerminalUi ui(c.terminal, "", std::nullopt);
  EXPECT_THAT(ui.inputBox(kFirstTargetPrompt, "T", "5"), Optional(std::string("5")));
  EXPECT_EQ(ui.messageBox("输入有误！", 0, "Quillan提示"), host::kButtonOk);
  // Asked again after a rejection: answering the same default again would loop for ever.
  EXPECT_EQ(ui.inputBox(kFirstTargetPrompt, "T", "5"), std::nullopt);
  EXPECT_EQ(ui.cancelled(), 1);
  EXPECT_THAT(
      c.err.str(),
      HasSubstr("【T】请输入每班一档完成指标数！ 5（默认值）\n【Quillan提示】输入有误！\n"));
}

TEST(TerminalUi, CommandLineTargetsAnswerOnlyTheFirstTime) {
  Console c(true, "99\r\n");
  TerminalUi ui(c.terminal, "[a.xlsx] ", TargetAnswers{3, 12});
  EXPECT_THAT(ui.inputBox(kFirstTargetPrompt, "T", "5"), Optional(std::string("3")));
  EXPECT_THAT(ui.inputBox(kSecondTargetPrompt, "T", "20"), Optional(std::string("12")));
  EXPECT_EQ(ui.inputBox(kSecondTargetPrompt, "T", "20"), std::nullopt);
  EXPECT_THAT(c.err.str(), HasSubstr("[a.xlsx] 【T】请输入每班二档完成指标数！ 12（--targets）"));
  // Other questions still go to the terminal; a line typed with CR LF is the same line.
  EXPECT_THAT(ui.inputBox("别的问题", "T", "x"), Optional(std::string("99")));
}

TEST(TerminalUi, YesNoQuestionsUseTheAnswerOrTheDefaultButton) {
  Console typed(true, "否\n\n");
  TerminalUi ui(typed.terminal, "", std::nullopt);
  EXPECT_EQ(ui.messageBox("是否连接到互联网?", host::kYesNoQuestion, "Q"), host::kButtonNo);
  EXPECT_EQ(ui.messageBox("是否连接到互联网?", host::kYesNoQuestion, "Q"), host::kButtonYes);
  Console piped(false);
  TerminalUi quiet(piped.terminal, "", std::nullopt);
  EXPECT_EQ(quiet.messageBox("?", host::kYesNoQuestion | 0x100, "Q"), host::kButtonNo);
}

TEST(TerminalUi, ACellSelectedAfterAMessageIsShownAsItsPlace) {
  Console c(false);
  host::MemoryWorkbook wb;
  wb.addSheet("成绩表");
  host::MemorySheet& bands = wb.addSheet("分数段统计");
  TerminalUi ui(c.terminal, "", std::nullopt);
  ui.watch(&wb);
  bands.selectCell(1, 1);  // before any message: no place to tell
  ui.messageBox("区间划分格式错误!请参照默认格式.", 128, "Q");
  bands.selectCell(3, 28);
  ui.messageBox(kClosingMessage, host::kInformation, "Q");
  ui.finish();
  EXPECT_EQ(ui.problems(), 1) << "every message but the closing one reports a problem";
  EXPECT_EQ(
      c.err.str(),
      "【Q】区间划分格式错误!请参照默认格式.\n  位置：分数段统计!AB3\n【Q】成绩统计操作完成!\n");
}

}  // namespace
}  // namespace valdrex::cli
