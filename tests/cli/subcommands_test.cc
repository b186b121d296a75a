// check, classes, sample, template and members end to end.
#include <gmock/gmock.h>

#include "cli_process.h"

namespace valdrex::cli::testing {
namespace {

using ::testing::HasSubstr;

TEST(CheckCommand, ReportsEachProblemWithItsCellAndNeverWrites) {
  ScratchFolder dir;
  writeSample(dir / "ok.xlsx");
  Outcome clean = valdrex(dir, {"check", "ok.xlsx"});
  EXPECT_EQ(clean.status, 0) << clean.out;
  EXPECT_THAT(clean.out, HasSubstr("3 个科目（语文、数学、英语）"));
  EXPECT_THAT(clean.out, HasSubstr("共 24 名学生"));

  auto wb = sampleWorkbook({3, 8, 3, 7});
  wb->find("成绩表")->setCell(6, 5, Variant::number(151));
  io::writeWorkbook(*wb, (dir / "bad.xlsx").string());
  const std::string before = slurp(dir / "bad.xlsx");
  Outcome o = valdrex(dir, {"check", "bad.xlsx"});
  EXPECT_EQ(o.status, 1);
  EXPECT_THAT(o.out, HasSubstr("成绩表!E6：分数 151 超过了数学的原始满分 150"));
  EXPECT_THAT(o.out, HasSubstr("发现 1 个问题"));
  EXPECT_EQ(slurp(dir / "bad.xlsx"), before);

  spit(dir / "junk.xlsx", "PK no zip");
  EXPECT_EQ(valdrex(dir, {"check", "junk.xlsx"}).status, 3);
}

TEST(ClassesCommand, EachTeacherRowMovesWithItsClass) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  auto wb = sampleWorkbook({3, 2, 2, 1});  // rows 4-9; 属性表: B, C the subjects, D the total
  // The grade regrouped: 3班 now first, 1班 and 5班 gone, a new 4班; "２班 " is the 2班 of the
  // sheet. 4班 has no row of its name: it takes the first row left over, 1班's, and is told.
  const char* now[] = {"3班", "3班", "2班", "2班", "4班", "4班"};
  for (int r = 0; r < 6; ++r) wb->find("成绩表")->setCell(4 + r, 1, now[r]);
  const char* rows[4][4] = {{"1班", "甲", "乙", "丙"},
                            {"２班 ", "丁", "戊", "己"},
                            {"3班", "庚", "辛", "0501"},
                            {"5班", "壬", "癸", "子"}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      wb->find("属性表")->at(18 + r, 1 + c).value = Variant::text(rows[r][c]);
  io::writeWorkbook(*wb, (dir / "g.xlsx").string());

  Outcome o = valdrex(dir, {"classes", "g.xlsx"});
  ASSERT_EQ(o.status, 0) << o.err;
  // The place told is where the rows are read back below.
  EXPECT_THAT(o.out, HasSubstr("找到 3 个班：3班、2班、4班。已写入“属性表”第 18 行起的 A 列"));
  EXPECT_THAT(o.out,
              HasSubstr("“5班”已不在成绩表中，它的班级行已从属性表删去（原有：B 壬、C 癸、D 子）"));
  EXPECT_THAT(o.out, HasSubstr("“4班”在属性表里没有同名的行，按顺序用了剩下的“1班”一行的任课教师"));
  EXPECT_EQ(python(dir / "g.xlsx",
                   "for r in range(18, 22):\n"
                   "  print([wb['属性表'].cell(r, c).value for c in range(1, 5)])"),
            "['3班', '庚', '辛', '0501']\n"
            "['2班', '丁', '戊', '己']\n"
            "['4班', '甲', '乙', '丙']\n"
            "[None, None, None, None]\n");
}

TEST(ClassesCommand, WithoutAPropertySheetNothingIsSaved) {
  ScratchFolder dir;
  host::MemoryWorkbook wb;
  wb.addSheet("成绩表").setCell(3, 1, "班级");
  io::writeWorkbook(wb, (dir / "g.xlsx").string());
  const std::string before = slurp(dir / "g.xlsx");
  Outcome o = valdrex(dir, {"classes", "g.xlsx"});
  EXPECT_EQ(o.status, 1);
  EXPECT_THAT(o.err, HasSubstr("缺少“属性表”"));
  EXPECT_EQ(slurp(dir / "g.xlsx"), before);
}

TEST(GenerateCommands, SampleAndTemplateWriteRunnableWorkbooks) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  ASSERT_EQ(valdrex(dir, {"sample", "s.xlsx", "--classes", "2", "--students", "5"}).status, 0);
  ASSERT_EQ(
      valdrex(dir, {"template", "t.xlsx", "--subjects", "语文,数学,物理", "--classes", "3"}).status,
      0);
  EXPECT_EQ(
      python(dir / "t.xlsx",
             "print(wb.sheetnames[:2], len(wb.sheetnames))\n"
             "print([c.value for c in wb['成绩表'][3]])\n"
             "p = wb['属性表']\n"
             "print(p['E3'].value, p['A12'].value, [p.cell(r, 1).value for r in range(18, 21)])"),
      "['成绩表', '属性表'] 11\n"
      "['班级', '座号', '姓名', '语文', '数学', '物理']\n"
      "300 低分率 ['1班', '2班', '3班']\n");
  EXPECT_EQ(valdrex(dir, {"run", "s.xlsx"}).status, 0) << "the sample does not run cleanly";
  // An empty template runs through, warning that it holds no students yet and that the band
  // sheets could not be laid out without a class.
  Outcome blank = valdrex(dir, {"run", "t.xlsx"});
  EXPECT_EQ(blank.status, 1);
  EXPECT_THAT(blank.out, HasSubstr("警告 3 条"));
  EXPECT_THAT(blank.out, HasSubstr("没有学生"));
  EXPECT_THAT(blank.out, HasSubstr("统计中有一步没有完成：写入“名次段统计”"));
}

TEST(GenerateCommands, BadOptionsAndExistingFiles) {
  ScratchFolder dir;
  spit(dir / "mine.xlsx", "a teacher's own workbook");
  const std::vector<std::vector<std::string>> cases = {
      {"sample", "mine.xlsx"},
      {"sample", "x.xlsx", "--classes", "21"},
      {"sample", "x.txt"},
      {"template", "x.xlsx", "--subjects", "语文,语文"},
      {"template", "x.xlsx", "--subjects", "语文,总分"},
      {"template", "x.xlsx", "--subjects", "1,2,3,4,5,6,7,8,9,10,11,12,13"},
      {"template", "x.xlsx", "--subjects", "语文:0,数学"},
      {"template", "x.xlsx", "--subjects", "语文：1001"},
      {"template", "x.xlsx", "--subjects", "语文:满分"},
  };
  for (const auto& args : cases) {
    Outcome o = valdrex(dir, args);
    EXPECT_EQ(o.status, 2) << ::testing::PrintToString(args) << o.err;
    EXPECT_THAT(o.err, HasSubstr("请"));
  }
  EXPECT_EQ(slurp(dir / "mine.xlsx"), "a teacher's own workbook");
  EXPECT_FALSE(fs::exists(dir / "x.xlsx"));
  EXPECT_EQ(valdrex(dir, {"sample", "mine.xlsx", "--force"}).status, 0);
}

TEST(MembersCommand, PrintsTheInterfaceInOrder) {
  ScratchFolder dir;
  Outcome o = valdrex(dir, {"members"});
  ASSERT_EQ(o.status, 0);
  EXPECT_THAT(o.out, ::testing::StartsWith("属性  总人数 As Integer\n"));
  EXPECT_THAT(o.out, HasSubstr("属性  t As Long\n方法  F总人数(sh As Worksheet) As Double\n"));
  EXPECT_THAT(o.out,
              HasSubstr("方法  输出(EApp As Application, wb As Workbook, sh1 As Worksheet)\n"));
}

}  // namespace
}  // namespace valdrex::cli::testing
