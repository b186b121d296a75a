// Questions answered on a terminal: the program runs on a pseudo-terminal as a teacher would.
#include <gmock/gmock.h>
#include <poll.h>
#include <pty.h>

#include "cli_process.h"

namespace valdrex::cli::testing {
namespace {

using ::testing::HasSubstr;

// A valdrex process whose standard input and error are a pseudo-terminal.
class TerminalSession {
 public:
  TerminalSession(const ScratchFolder& dir, std::vector<std::string> args) {
    args.insert(args.begin(), VALDREX_BIN);
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(127);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(VALDREX_BIN, argv.data());
      _exit(127);
    }
  }
  ~TerminalSession() {
    if (pid_ > 0) finish();
    if (master_ >= 0) close(master_);
  }

  // Reads until `text` is shown after what earlier waits matched (or long after it should be).
  bool waitFor(const std::string& text) {
    for (int rounds = 0; rounds < 300 && seen_.find(text, from_) == std::string::npos; ++rounds)
      if (!readSome(100)) break;
    const std::size_t at = seen_.find(text, from_);
    if (at == std::string::npos) return false;
    from_ = at + text.size();
    return true;
  }
  void type(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), (ssize_t)keys.size());
  }

  int finish() {
    for (int rounds = 0; rounds < 600 && readSome(100); ++rounds) {
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& seen() const { return seen_; }

 private:
  bool readSome(int waitMs) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, waitMs) < 0) return false;
    if (!(p.revents & (POLLIN | POLLHUP))) return true;  // nothing yet
    char buffer[1024];
    ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return false;
    seen_.append(buffer, n);
    return true;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  std::string seen_;
  std::size_t from_ = 0;
};

const char* kNote =
    "print([c.value for c in wb['完成率表']['A'] if c.value and '各班一档' in "
    "str(c.value)][0].split('。')[0])";

TEST(InteractiveRun, AnInvalidTargetIsRefusedAtOnceAndAskedAgain) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  writeSample(dir / "g.xlsx");
  TerminalSession session(dir, {"run", "g.xlsx"});
  ASSERT_TRUE(session.waitFor("一档完成指标数！（回车取 5）：")) << session.seen();
  session.type("abc\n");
  // 3 classes: a target above 10922 would put the tier beyond 32767 students.
  ASSERT_TRUE(session.waitFor("请输入 1 到 10922 之间的整数，例如 5")) << session.seen();
  ASSERT_TRUE(session.waitFor("一档完成指标数！（回车取 5）：")) << session.seen();
  session.type("30\n");
  ASSERT_TRUE(session.waitFor("二档完成指标数！（回车取 20）：")) << session.seen();
  session.type("\n");  // the default 20 is below the first target
  ASSERT_TRUE(session.waitFor("请输入 30 到 10922 之间的整数")) << session.seen();
  session.type("10923\n");
  ASSERT_TRUE(session.waitFor("“10923”不是有效的指标数。请输入 30 到 10922")) << session.seen();
  session.type("40\n");
  EXPECT_EQ(session.finish(), 0) << session.seen();
  EXPECT_EQ(python(dir / "g-统计结果.xlsx", kNote), "各班一档指标数：30，各班二档指标数：40\n");
}

TEST(InteractiveRun, SeveralWorkbooksAskInTheOrderOfTheCommandLine) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  // The first is the largest: left to themselves, the others would ask first.
  writeSample(dir / "a.xlsx", {20, 60, 8, 1});
  writeSample(dir / "b.xlsx", {2, 5, 2, 2});
  writeSample(dir / "c.xlsx", {2, 5, 2, 3});
  TerminalSession session(dir, {"run", "a.xlsx", "b.xlsx", "c.xlsx"});
  const char* answers[] = {"2\n3\n", "4\n5\n", "6\n7\n"};
  for (int i = 0; i < 3; ++i) {
    const std::string name = std::string(1, char('a' + i)) + ".xlsx";
    ASSERT_TRUE(session.waitFor("[" + name + "] 【Valdrex提示：完成率统计】请输入每班一档"))
        << session.seen();
    session.type(answers[i]);
    ASSERT_TRUE(session.waitFor("[" + name + "] 【Valdrex提示：完成率统计】请输入每班二档"))
        << session.seen();
  }
  EXPECT_EQ(session.finish(), 0) << session.seen();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(python(dir / (std::string(1, char('a' + i)) + "-统计结果.xlsx"), kNote),
              "各班一档指标数：" + std::to_string(2 + 2 * i) + "，各班二档指标数：" +
                  std::to_string(3 + 2 * i) + "\n");
}

TEST(InteractiveRun, EndOfInputCancelsAndLeavesTheSheetAlone) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  writeSample(dir / "g.xlsx");
  TerminalSession session(dir, {"run", "g.xlsx"});
  ASSERT_TRUE(session.waitFor("一档完成指标数！")) << session.seen();
  session.type("\x04");  // Ctrl-D at the start of a line: end of input
  EXPECT_EQ(session.finish(), 1) << "a sheet left as it was is a warning: " << session.seen();
  EXPECT_THAT(session.seen(), HasSubstr("已取消"));
  EXPECT_THAT(session.seen(), HasSubstr("警告：完成率表没有更新"));
  EXPECT_THAT(session.seen(), HasSubstr("成绩统计操作完成!"));
  EXPECT_EQ(python(dir / "g-统计结果.xlsx",
                   "print(wb['完成率表'].max_row, wb['分数段统计'].max_row > 1)"),
            "1 True\n");
}

}  // namespace
}  // namespace valdrex::cli::testing
