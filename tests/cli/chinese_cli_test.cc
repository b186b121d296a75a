// The command speaks Chinese to teachers: help, argument errors, and lists typed with a Chinese
// input method.
#include <gmock/gmock.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>

#include "cli_process.h"
#include "valdrex/io/xlsx_reader.h"

namespace valdrex::cli::testing {
namespace {

using ::testing::HasSubstr;

std::vector<std::string> asciiWords(const std::string& text) {
  static const std::regex word("[A-Za-z]+");
  std::vector<std::string> words;
  for (std::sregex_iterator w(text.begin(), text.end(), word), end; w != end; ++w)
    words.push_back(w->str());
  return words;
}

// ASCII words in `text` other than option names, command names, file types and the arguments
// typed.
std::vector<std::string> englishWords(const std::string& text,
                                      const std::vector<std::string>& args) {
  std::set<std::string> allowed = {"valdrex",  "run",     "check",      "classes", "sample",
                                   "template", "members", "xlsx",       "xlsm",    "YYYY",
                                   "MM",       "DD",      "ValdrexCls", "A",  // A: the column
                                   "all",  // typed after --segments
                                   "B",        "C",       "D",          "E"};  // levels' names
  for (const std::string& a : args)
    for (const std::string& w : asciiWords(a)) allowed.insert(w);
  std::vector<std::string> english;
  for (const std::string& w :
       asciiWords(std::regex_replace(text, std::regex("--?[A-Za-z][A-Za-z-]*"), " ")))
    if (!allowed.count(w)) english.push_back(w);
  return english;
}

TEST(ChineseCli, HelpAndArgumentErrorsAreChinese) {
  ScratchFolder dir;
  const struct {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"--help"}, 0, "退出码："},
      {{"run", "--help"}, 0, "用法：valdrex run [选项] [工作簿...]"},
      {{"check", "--help"}, 0, "位置参数："},
      {{"classes", "--help"}, 0, "-h,--help"},
      {{"sample", "--help"}, 0, "--classes 整数"},
      {{"template", "--help"}, 0, "--subjects 科目列表"},
      {{"members", "--help"}, 0, "显示此帮助并退出"},
      {{"--version"}, 0, "valdrex 0."},
      {{"rnu"}, 2, "未知的子命令“rnu”。您是不是要输入 valdrex run？"},
      {{}, 2, "缺少子命令"},
      {{"sample", "x.xlsx", "--classes", "30"}, 2, "--classes 应为 1 到 20 之间的整数，而不是“30”"},
      {{"sample", "x.xlsx", "--students"}, 2, "--students 后面缺少值"},
      {{"check"}, 2, "缺少参数“工作簿”"},
      {{"run", "--taregts", "5,20"}, 2, "未知的选项“--taregts”。您是不是要输入 --targets？"},
      {{"run", "--in-place=x"}, 2, "--in-place 是开关选项"},
      {{"check", "a.xlsx", "b.xlsx"}, 2, "多余的参数“b.xlsx”"},
  };
  for (const auto& c : cases) {
    const Outcome o = valdrex(dir, c.args);
    const std::string said = o.out + o.err;
    SCOPED_TRACE(::testing::PrintToString(c.args) + "\n" + said);
    EXPECT_EQ(o.status, c.status);
    EXPECT_THAT(said, HasSubstr(c.says));
    EXPECT_THAT(englishWords(said, c.args), ::testing::IsEmpty());
  }
  // The exit codes are explained once, in the main help.
  EXPECT_THAT(valdrex(dir, {"run", "--help"}).out, ::testing::Not(HasSubstr("退出码：")));
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The help is wrapped to the terminal's width between words and Chinese characters, never inside
// an ASCII word or an example the teacher would type.
TEST(ChineseCli, HelpBreaksLinesOnlyBetweenWords) {
  ScratchFolder dir;
  const std::vector<std::string> pages[] = {
      {"--help"},           {"run", "--help"},      {"check", "--help"},  {"classes", "--help"},
      {"sample", "--help"}, {"template", "--help"}, {"members", "--help"}};
  const char* const examples[] = {"语文:150,数学:150,英语", "5,20",          "5，20",
                                  "<原名>-统计结果.xlsx",   "“<原名>-备份”", "“一档,二档”",
                                  "valdrex --help",         "ValdrexCls",    "（1-20，"};
  auto ascii = [](char c) { return c != ' ' && static_cast<unsigned char>(c) < 0x80; };
  for (int width : {40, 52, 64, 80, 100}) {
    for (const auto& args : pages) {
      std::string command = "COLUMNS=" + std::to_string(width) + " " + quoted(VALDREX_BIN);
      for (const std::string& a : args) command += " " + a;
      const std::string help = outputOf(command);
      SCOPED_TRACE(command + "\n" + help);
      const std::vector<std::string> lines = linesOf(help);
      ASSERT_GT(lines.size(), 3u);
      std::string joined;  // the lines run together where they were broken
      for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        joined += line.substr(start);
        if (i + 1 == lines.size()) continue;
        const std::size_t next = lines[i + 1].find_first_not_of(' ');
        if (next == std::string::npos) continue;
        EXPECT_FALSE(ascii(line.back()) && ascii(lines[i + 1][next]))
            << "a word broken after \"" << line << "\"";
      }
      for (const char* example : examples) {
        if (joined.find(example) == std::string::npos) continue;
        EXPECT_TRUE(std::any_of(
            lines.begin(), lines.end(),
            [&](const std::string& line) { return line.find(example) != std::string::npos; }))
            << example << " is broken";
      }
    }
  }
}

TEST(ChineseCli, TemplateTakesFullWidthSeparatorsAndFullMarks) {
  ScratchFolder dir;
  ASSERT_EQ(valdrex(dir, {"template", "t.xlsx", "--subjects",
                          "语文：150，数学 ,\u3000英语:120、物理", "--classes", "2"})
                .status,
            0);
  auto wb = io::readWorkbook((dir / "t.xlsx").string());
  const host::MemorySheet& scores = *wb->find("成绩表");
  const host::MemorySheet& props = *wb->find("属性表");
  std::vector<std::string> names, raw, full;
  for (int col = 4; col <= 7; ++col) {
    names.push_back(textOf(scores.cell(3, col)));
    raw.push_back(textOf(scores.cell(2, col)));
    full.push_back(textOf(props.cell(3, col - 2)));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"语文", "数学", "英语", "物理"}));
  EXPECT_EQ(raw, (std::vector<std::string>{"150", "100", "120", "100"}));
  EXPECT_EQ(full, raw);
  EXPECT_EQ(textOf(props.cell(3, 6)), "470");  // the total's full mark
  EXPECT_EQ(textOf(props.cell(5, 2)), "90");   // 语文's pass line, 60 % of 150
}

}  // namespace
}  // namespace valdrex::cli::testing
