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
  EXPECT_THAT(ui.inputBox(std::string(kFirstTargetPrompt), "T", "5"), Optional(std::string("5")));
  EXPECT_EQ(ui.messageBox("输入有误！", host::MessageStyle::plain, "Valdrex提示"),
            host::Button::ok);
  // Asked again after a rejection: answering the same default again would loop for ever.
  EXPECT_EQ(ui.inputBox(std::string(kFirstTargetPrompt), "T", "5"), std::nullopt);
  EXPECT_THAT(
      c.err.str(),
      HasSubstr("【T】请输入每班一档完成指标数！ 5（默认值）\n【Valdrex提示】输入有误！\n"));
}

TEST(TerminalUi, CommandLineTargetsAnswerOnlyTheFirstTime) {
  Console c(true, "99\r\n");
  TerminalUi ui(c.terminal, "[a.xlsx] ", TargetAnswers{3, 12});
  EXPECT_THAT(ui.inputBox(std::string(kFirstTargetPrompt), "T", "5"), Optional(std::string("3")));
  EXPECT_THAT(ui.inputBox(std::string(kSecondTargetPrompt), "T", "20"),
              Optional(std::string("12")));
  EXPECT_EQ(ui.inputBox(std::string(kSecondTargetPrompt), "T", "20"), std::nullopt);
  EXPECT_THAT(c.err.str(), HasSubstr("[a.xlsx] 【T】请输入每班二档完成指标数！ 12（--targets）"));
  // Other questions still go to the terminal; a line typed with CR LF is the same line.
  EXPECT_THAT(ui.inputBox("别的问题", "T", "x"), Optional(std::string("99")));
}

TEST(TerminalUi, YesNoQuestionsUseTheAnswerOrTheDefaultButton) {
  Console typed(true, "否\n\n");
  TerminalUi ui(typed.terminal, "", std::nullopt);
  const auto question = host::MessageStyle::yesNoQuestion;
  EXPECT_EQ(ui.messageBox("是否连接到互联网?", question, "Q"), host::Button::no);
  EXPECT_EQ(ui.messageBox("是否连接到互联网?", question, "Q"), host::Button::yes);
  Console piped(false);
  TerminalUi quiet(piped.terminal, "", std::nullopt);
  EXPECT_EQ(quiet.messageBox("?", question, "Q"), host::Button::yes);
}

}  // namespace
}  // namespace valdrex::cli
