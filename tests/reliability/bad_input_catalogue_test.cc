// Workbooks wrong in the ways teachers make them, run through the built program: each ends with
// its documented exit status and a message that says what is wrong, never a crash; the input is
// never changed, and the result is either complete or not there at all.
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <sstream>

#include "../cli/cli_process.h"
#include "cli/exit_codes.h"

#if defined(VALDREX_BIN) && defined(BAD_WORKBOOKS)

namespace valdrex::cli::testing {
namespace {

using ::testing::HasSubstr;

void makeWorkbook(const std::string& which, const fs::path& path) {
  const std::string said =
      outputOf("/usr/bin/python3 " + quoted(BAD_WORKBOOKS) + " " + which + " " + quoted(path));
  ASSERT_TRUE(fs::exists(path)) << said;
}

// Opens a result the way another program would: every zip member intact, every report sheet
// there. Prints "complete" and the length of the longest text of the report sheets.
const char* kResultProbe = R"(
import sys, zipfile, openpyxl
path = sys.argv[1]
assert zipfile.ZipFile(path).testzip() is None
wb = openpyxl.load_workbook(path, read_only=True)
reports = ["输出表", "各班详细排名", "各班排名表", "年级排名表", "年级详细排名",
           "两率一分", "完成率表", "分数段统计", "名次段统计"]
missing = [n for n in reports if n not in wb.sheetnames]
longest = max([len(v) for n in reports if n in wb.sheetnames
               for row in wb[n].iter_rows(values_only=True) for v in row if isinstance(v, str)]
              or [0])
print("complete" if not missing else "missing %s" % missing, longest)
first = next(wb["输出表"].iter_rows(min_row=3, max_row=3, values_only=True), ())
print("first student", list(first[:5]))
)";

std::string probeResult(const ScratchFolder& dir, const fs::path& result) {
  spit(dir / ".probe.py", kResultProbe);
  return outputOf("/usr/bin/python3 " + quoted(dir / ".probe.py") + " " + quoted(result));
}

// Names in the folder other than our own scratch files.
std::vector<std::string> folderNames(const ScratchFolder& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) {
    std::string name = e.path().filename().string();
    if (name != ".stdin" && name != ".stdout" && name != ".stderr" && name != ".probe.py")
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct BadInput {
  const char* workbook;           // a case of bad_workbooks.py
  std::vector<std::string> more;  // arguments after "run <workbook>"
  int exit;
  const char* says;  // in what the run printed
  bool result;       // a complete result is written
  int checkExit;
  const char* checkSays;        // in what `valdrex check` printed; nullptr: check not run
  const char* resultSays = "";  // in the result's probe
  bool boundedMemory = false;   // run and check with little address space
};

// The address space of the programs started while it lives. Sanitizers reserve terabytes of it,
// so there it is left alone.
class AddressSpaceLimit {
 public:
  explicit AddressSpaceLimit(rlim_t bytes) {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    ::getrlimit(RLIMIT_AS, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_AS, &limit);
#else
    (void)bytes;
#endif
  }
  ~AddressSpaceLimit() {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    ::setrlimit(RLIMIT_AS, &saved_);
#endif
  }

 private:
  rlimit saved_{};
};

// Half a gigabyte: a run of the usual workbook takes a tenth of it.
Outcome valdrexIn(bool bounded, const ScratchFolder& dir, const std::vector<std::string>& args) {
  std::optional<AddressSpaceLimit> limit;
  if (bounded) limit.emplace(rlim_t{512} << 20);
  return valdrex(dir, args);
}

constexpr const char* kLimits =
    "程序运行错误！每班人数不能超过100，班数不能超过20，统计科目不能超过12。";

void expectCatalogued(const BadInput& c, bool readOnly = false) {
  SCOPED_TRACE(c.workbook);
  ScratchFolder dir;
  const std::string input = std::string(c.workbook) + ".xlsx";
  makeWorkbook(c.workbook, dir / input);
  if (readOnly) ::chmod((dir / input).c_str(), 0444);
  const std::string before = slurp(dir / input);
  const std::vector<std::string> namesBefore = folderNames(dir);

  std::vector<std::string> args = {"run", input, "--date", "2026-03-01"};
  args.insert(args.end(), c.more.begin(), c.more.end());
  Outcome o = valdrexIn(c.boundedMemory, dir, args);
  EXPECT_EQ(o.status, c.exit) << o.err << o.out;
  EXPECT_THAT(o.err + o.out, HasSubstr(c.says));
  EXPECT_THAT(o.err, ::testing::Not(HasSubstr("内部错误")));

  EXPECT_TRUE(slurp(dir / input) == before) << "the input was changed";
  if (readOnly) {
    EXPECT_EQ(fs::status(dir / input).permissions(), fs::perms(0444));
  }

  const fs::path result = dir / (std::string(c.workbook) + "-统计结果.xlsx");
  std::vector<std::string> namesAfter = folderNames(dir);
  for (const std::string& name : namesAfter) EXPECT_NE(name[0], '.') << "left behind: " << name;
  if (c.result) {
    ASSERT_TRUE(fs::exists(result)) << o.err;
    const std::string probe = probeResult(dir, result);
    EXPECT_THAT(probe, HasSubstr("complete")) << probe;
    EXPECT_THAT(probe, HasSubstr(c.resultSays)) << probe;
  } else {
    EXPECT_FALSE(fs::exists(result));
    // Nothing else either, unless it is an exact copy of the input (the in-place backup).
    for (const std::string& name : namesAfter) {
      if (std::find(namesBefore.begin(), namesBefore.end(), name) == namesBefore.end()) {
        EXPECT_TRUE(slurp(dir / name) == before) << "written: " << name;
      }
    }
  }

  if (c.checkSays) {
    Outcome check = valdrexIn(c.boundedMemory, dir, {"check", input});
    EXPECT_EQ(check.status, c.checkExit) << check.out << check.err;
    EXPECT_THAT(check.out + check.err, HasSubstr(c.checkSays));
    EXPECT_TRUE(slurp(dir / input) == before) << "check changed the input";
  }
}

TEST(BadInputCatalogue, EachWorkbookEndsAsDocumented) {
  REQUIRE_PYTHON();
  constexpr int kProblem = kExitProblem, kOk = kExitOk, kUnwritable = kExitUnwritable;
  const char* kDone = "成绩统计操作完成!";
  // clang-format off
  const BadInput cases[] = {
      {"no_score_sheet", {}, kProblem, "找不到成绩表", false, kProblem, "找不到成绩表"},
      // Loading would stop, so every count after it would be too small: no result at all.
      {"no_property_sheet", {}, kProblem, "属性表：缺少“属性表”：统计会在载入时停下", false,
       kProblem, "缺少“属性表”"},
      {"empty_score_sheet", {}, kProblem, "成绩表!D3：从 D 列开始没有科目表头", false, kProblem,
       "没有学生"},
      {"thirteen_subjects", {}, kProblem, "成绩表!P3：共有 13 个科目", false, kProblem,
       "共有 13 个科目"},
      {"twenty_one_classes", {}, kProblem, "成绩表!A44：第 21 个班", false, kProblem, "第 21 个班"},
      {"class_of_101", {}, kProblem, "成绩表!A104：1的第 101 名学生", false, kProblem,
       "1的第 101 名学生"},
      {"header_shifted", {}, kProblem, "成绩表!A4：表头应在第 3 行", false, kProblem,
       "这里第 4 行是表头"},
      {"property_text_and_negatives", {}, kProblem, "没有写入结果", false, kProblem,
       "属性表!B3：“一百”不是数字"},
      // A warning is written with the result and listed again in the summary; --strict refuses it.
      {"word_in_score_cell", {}, kProblem, "\n  警告：成绩表!D5：“缺勤”不是分数", true, kProblem,
       "成绩表!D5：“缺勤”不是分数"},
      {"word_in_score_cell", {"--strict"}, kProblem, "或去掉 --strict", false, kProblem,
       nullptr},
      {"error_values", {}, kProblem, kDone, true, kProblem,
       "成绩表!D4：“#DIV/0!”不是分数，会按 0 分计算"},
      // The stored results of the formulas are the scores: D4 holds =40+4, last computed 44.
      {"formulas", {}, kOk, kDone, true, kOk, "没有发现问题",
       "first student [1, 1, '学生1-1', 44, 54]"},
      {"formulas_never_computed", {}, kProblem, kDone, true, kProblem,
       "成绩表!D4：公式没有保存计算结果"},
      {"merged_score_area", {}, kProblem, "12 名学生（另有 3 行没有统计：班级为空 3 行）", true,
       kProblem, "成绩表!A5：班级为空"},
      // Texts as long as a cell holds stay savable where the reports add to them.
      {"very_long_texts", {}, kOk, kDone, true, kOk, "没有发现问题", "complete 32767"},
      // Runs that go on with a wrong result warn (exit 1, the result written); check names the
      // cells.
      {"rows_below_a_blank_row", {}, kProblem, "1 个班，4 名学生", true, kProblem,
       "成绩表!C9：第 8 行的 B、C 两列都为空，名单到此结束；下面从第 9 行起还有 8 行"},
      {"look_alike_classes", {}, kProblem, "4 个班", true, kProblem,
       "成绩表!A10：“2”（2 人，从 成绩表!A8 起）和“２”（2 人，从 成绩表!A10 起）只差空格"},
      {"band_full_width_dash", {}, kProblem, kDone, true, kProblem,
       "分数段统计!D3：“60～70”会统计分数正好是 60 的人数，而不是分数在 60（含）到 70（不含）"},
      {"property_classes_mismatch", {}, kProblem, kDone, true, kProblem,
       "属性表!A20：成绩表中的“3”在属性表的班级行里没有同名的行，这一行“5”是剩下的行"},
      {"chart_sheet_named_like_a_report", {}, kProblem, "是图表工作表", false, kOk, nullptr},
      {"good", {"-o", "没有的文件夹/结果.xlsx"}, kUnwritable, "文件夹 没有的文件夹 不存在", false,
       kOk, nullptr},
      // What a spreadsheet program would refuse is told by check, and refused with its own advice.
      {"text_over_cell_limit", {}, kUnwritable,
       "工作表“备注”的单元格 C2：文字有 40000 个字符，超过一个单元格能容纳的 32767 个，无法保存。"
       "请把这一格的文字缩短后重试。\n", false, kProblem, "备注!C2：文字有 40000 个字符"},
      {"macros_in_xlsx", {}, kExitBadArguments,
       "工作簿含有宏，只能保存为 .xlsm 文件（扩展名与内容不符的文件，电子表格程序会拒绝打开）。"
       "请把文件名改为以 .xlsm 结尾，例如 macros_in_xlsx-统计结果.xlsm，然后重试。\n", false,
       kProblem, "macros_in_xlsx.xlsx：工作簿含有宏"},
      // A sheet saved as a chart sheet is named as such, not as missing.
      {"score_sheet_as_chart_sheet", {}, kProblem,
       "找不到成绩表：“成绩表”是图表工作表（或对话框工作表），没有单元格", false, kProblem,
       "“成绩表”是图表工作表"},
      {"score_sheet_as_chart_sheet", {"--sheet", "成绩表"}, kExitBadArguments,
       "不能当作成绩表。请把成绩放在一张普通工作表里。", false, kProblem, nullptr},
      {"property_sheet_as_chart_sheet", {}, kProblem,
       "属性表：“属性表”是图表工作表（或对话框工作表），没有单元格，不能当作属性表", false,
       kProblem, "“属性表”是图表工作表"},
      {"workbook_part_is_a_sheet", {}, kExitUnreadable,
       "文件已损坏：工作簿的主部件里是“worksheet”，不是工作簿。请找回它的备份", false,
       kExitUnreadable, "文件已损坏"},
      // A date no spreadsheet can show is a number: the class is named by it.
      {"date_of_1e308", {}, kProblem, kDone, true, kProblem, "班级：3 个（1E+308 4 人"},
  };
  // clang-format on
  for (const BadInput& c : cases) expectCatalogued(c);
}

// A table out of place is told once, before any other finding, and the run is refused: the cells
// it would misread are not listed one by one.
TEST(BadInputCatalogue, AMisplacedTableIsOneError) {
  REQUIRE_PYTHON();
  const std::string expected = "表头应在第 3 行：A3 班级、B3 座号或考号、C3 姓名，科目从 D3 起";
  const struct {
    const char* workbook;
    std::string first;  // the first finding, an error
  } cases[] = {
      {"misplaced_sex_column",
       "成绩表!D3：" + expected +
           "；这里是 A3 班级、B3 座号、C3 姓名、D3 性别，“性别”列不是分数，却会被当作科目。"},
      {"serial_number_column",
       "成绩表!D3：" + expected +
           "；这里是 A3 序号、B3 班级、C3 座号、D3 姓名，“姓名”会被当作科目。"},
      {"extra_title_row",
       "成绩表!A4：" + expected +
           "（第 1 行标题，第 2 行各科原始满分）；这里第 4 行是表头。请删去表头上方"
           "多出的 1 行"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.workbook);
    expectCatalogued(
        {c.workbook, {}, kExitProblem, "没有写入结果", false, kExitProblem, c.first.c_str()});
    ScratchFolder dir;
    const std::string input = std::string(c.workbook) + ".xlsx";
    makeWorkbook(c.workbook, dir / input);
    const Outcome o = valdrex(dir, {"run", input});
    std::vector<std::string> findings;
    std::istringstream lines(o.err + o.out);
    for (std::string line; std::getline(lines, line);)
      for (const char* kind : {"错误：", "警告：", "注意："})
        if (line.starts_with(kind)) findings.push_back(line);
    ASSERT_FALSE(findings.empty()) << o.err << o.out;
    EXPECT_THAT(findings[0], ::testing::StartsWith("错误：" + c.first));
    for (const std::string& line : findings) {
      EXPECT_THAT(line, ::testing::Not(HasSubstr("不是分数，会按")));
      EXPECT_THAT(line, ::testing::Not(HasSubstr("的原始满分")));
    }
  }
}

// Small files that would take gigabytes or minutes if a string, format or formula shared by
// thousands of cells were copied into each, a list of millions were parsed before it is counted,
// or a merge cost its area.
TEST(BadInputCatalogue, SmallFilesCostWhatTheyHold) {
  REQUIRE_PYTHON();
  const char* kDone = "成绩统计操作完成!";
  // clang-format off
  const BadInput cases[] = {
      {"one_string_everywhere", {}, kExitUnwritable, "单元格 A1：文字有 1000000 个字符", false,
       kExitProblem, "备注!A11：从这一格起还有更多过长的单元格", "", true},
      {"one_format_everywhere", {}, kExitOk, kDone, true, kExitOk, "没有发现问题", "", true},
      {"one_formula_everywhere", {}, kExitOk, kDone, true, kExitOk, "没有发现问题", "", true},
      {"eight_million_sheets", {}, kExitUnreadable, "工作表超过 1024 张", false, kExitUnreadable,
       "工作表超过 1024 张", "", true},
      {"whole_sheet_merged", {}, kExitOk, kDone, true, kExitOk, "没有发现问题", "", true},
      // Lists, texts and elements past any real workbook's are refused as soon as they pass.
      {"too_many_styles", {}, kExitUnreadable, "样式中的单元格格式超过 131072 个。请", false,
       kExitUnreadable, "样式中的单元格格式超过 131072 个", "", true},
      {"too_much_text", {}, kExitUnreadable, "文字和公式共超过 16 MB。请", false, kExitUnreadable,
       "文字和公式共超过 16 MB", "", true},
      {"empty_cells_everywhere", {}, kExitUnreadable, "XML 元素超过 12000000 个。请", false,
       kExitUnreadable, "XML 元素超过 12000000 个", "", true},
      // Cells far beyond what the statistics use are not kept: a sheet holding some is copied as
      // stored, and one the run would rewrite is refused rather than written without them.
      {"every_column", {}, kExitOk, kDone, true, kExitOk, "没有发现问题", "", true},
      {"large_side_sheet", {}, kExitOk, kDone, true, kExitOk, "没有发现问题", "", true},
      {"note_below_the_report", {}, kExitUnwritable,
       "工作表“输出表”的第 40000 行超出了程序读入的范围（第 32768 行、AMJ 列以内），改写这张表会"
       "丢掉那里的内容。请删去这张表第 32768 行以下和 AMJ 列以右的内容后重试", false, kExitOk,
       "没有发现问题", "", true},
  };
  // clang-format on
  for (const BadInput& c : cases) expectCatalogued(c);
}

TEST(BadInputCatalogue, AReadOnlyWorkbookIsNeverChanged) {
  REQUIRE_PYTHON();
  expectCatalogued({"good", {}, kExitOk, "写入 9 张报告表", true, kExitOk, nullptr}, true);
  // Rewriting it in place is refused; only the backup, a copy of it, is written.
  expectCatalogued(
      {"good", {"--in-place"}, kExitUnwritable, "文件是只读的", false, kExitOk, nullptr}, true);
}

TEST(BadInputCatalogue, AMillionRowsAreRefusedWithinBoundedMemory) {
  REQUIRE_PYTHON();
  expectCatalogued({"million_rows",
                    {},
                    kExitProblem,
                    "成绩表!B32767：名单一直排到第 32768 行以下",
                    false,
                    kExitOk,
                    nullptr});
#if !defined(__SANITIZE_ADDRESS__)
  // Every cell of the sheet is held in memory once, and not much more than that.
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  EXPECT_LT(usage.ru_maxrss, 1'500'000) << "kilobytes at the peak";
#endif
}

}  // namespace
}  // namespace valdrex::cli::testing

#endif
