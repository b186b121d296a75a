// The sample's result as LibreOffice prints it: the tables' headers on every page, the class
// comparison one page wide, every chart drawn. Skipped where LibreOffice or pdftotext is missing.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>

#include "cli/cli_process.h"
#include "valdrex/io/xlsx_reader.h"

namespace valdrex::cli::testing {
namespace {

bool have(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> pages(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\f', start)) != std::string::npos; start = end + 1)
    out.push_back(text.substr(start, end - start));
  return out;
}

TEST(PrintedPages, HeadersOnEveryPageAndTheClassComparisonOnePageWide) {
  if (!have("soffice") || !have("pdftotext")) GTEST_SKIP() << "needs soffice and pdftotext";
  ScratchFolder dir;
  ASSERT_EQ(valdrex(dir, {"sample", "g.xlsx"}).status, 0);  // 4 classes of 40
  ASSERT_EQ(valdrex(dir, {"run", "g.xlsx", "-o", "r.xlsx"}).status, 0);
  ASSERT_EQ(std::system(("cd " + quoted(dir.path().string()) +
                         " && soffice --headless --convert-to pdf r.xlsx >/dev/null 2>&1 && "
                         "pdftotext -layout r.pdf r.txt")
                            .c_str()),
            0);
  auto book = io::readWorkbook((dir / "g.xlsx").string());
  std::vector<std::string> students;
  for (int r = 4; r <= 163; ++r) students.push_back(textOf(book->find("成绩表")->cell(r, 3)));

  // Pages (from 1) that show students without the header, and pages of "两率一分" missing its
  // first or last column or the class names.
  std::vector<int> studentPages, headless, comparisonPages, cut;
  const std::vector<std::string> printed = pages(slurp(dir / "r.txt"));
  for (int n = 1; n <= static_cast<int>(printed.size()); ++n) {
    const std::string& page = printed[n - 1];
    auto has = [&](const std::string& s) { return page.find(s) != std::string::npos; };
    if (std::count_if(students.begin(), students.end(), has) >= 3) {
      studentPages.push_back(n);
      if (!has("姓名")) headless.push_back(n);
    }
    if (has("优秀人数") || has("平均分排名")) {
      comparisonPages.push_back(n);
      const bool aClass = has("1班") || has("2班") || has("3班") || has("4班");
      if (!has("优秀人数") || !has("平均分排名") || !aClass) cut.push_back(n);
    }
  }
  EXPECT_GT(studentPages.size(), 10u);
  EXPECT_THAT(headless, ::testing::IsEmpty());
  EXPECT_FALSE(comparisonPages.empty());
  EXPECT_THAT(cut, ::testing::IsEmpty());
  // Every chart is drawn once, on a page of its own sheet.
  for (const char* title : {"总分各班平均分", "总分各班优秀率与及格率", "总分各班分数段人数",
                            "总分各班一档、二档完成率", "总分各班名次段人数", "语文各班平均分"})
    EXPECT_EQ(std::count_if(
                  printed.begin(), printed.end(),
                  [&](const std::string& page) { return page.find(title) != std::string::npos; }),
              1)
        << title;
}

}  // namespace
}  // namespace valdrex::cli::testing
