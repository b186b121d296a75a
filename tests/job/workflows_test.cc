// Every workflow of the job ends in the same outcome, tells the same problem the same way, and
// saves what it changed: to a file or to bytes that read back as the same workbook.
#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "support/sheet_dump.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/job/class_rows.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

using ::testing::HasSubstr;

std::unique_ptr<host::MemoryWorkbook> readBack(const std::string& bytes) {
  return io::readWorkbookFromMemory(bytes, "结果.xlsx");
}

// The sample's cells, without the sheet `left` (none when null).
std::unique_ptr<host::MemoryWorkbook> sampleWithout(const char* left) {
  auto sample = sampleWorkbook({2, 3, 2, 1});
  auto wb = std::make_unique<host::MemoryWorkbook>();
  for (std::size_t i = 0; i < sample->sheetCount(); ++i) {
    const host::MemorySheet& from = sample->sheetAt(i);
    if (left && from.name() == left) continue;
    host::MemorySheet& to = wb->addSheet(from.name());
    from.forEachCell([&](int r, int c, const host::Cell& cell) { to.at(r, c) = cell; });
  }
  return wb;
}

// A missing sheet is one problem with one advice, whichever workflow meets it; the check tells
// it as a finding that stops the loading, and nothing is left to save.
TEST(Workflows, AMissingSheetIsToldOneWayAndNothingIsSaved) {
  const struct {
    const char* what;
    const char* removed;
    std::optional<std::string> sheet;
    JobStatus status;
    Advice advice;
    const char* says;
  } cases[] = {
      {"no score sheet", "成绩表", std::nullopt, JobStatus::attention, Advice::addScoreSheet,
       "工作簿 测试："},
      {"a named sheet that is not there", nullptr, "期中", JobStatus::badRequest,
       Advice::nameScoreSheet, "“期中”"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto make = [&] { return std::make_unique<WorkbookJob>(sampleWithout(c.removed), "测试"); };
    ListAnswers answers;
    FixedDate date({2026, 12, 6});
    RunSettings settings;
    settings.sheet = c.sheet;
    auto runJob = make();
    const JobOutcome ran = runJob->run(answers, date, settings);
    auto classesJob = make();
    const JobOutcome listed = classesJob->listClasses(c.sheet);
    for (const JobOutcome* o : {&ran, &listed}) {
      EXPECT_EQ(o->status, c.status);
      EXPECT_EQ(o->advice, c.advice);
      EXPECT_THAT(o->problem, HasSubstr(c.says));
    }
    EXPECT_EQ(ran.problem, listed.problem);
    std::string bytes;
    EXPECT_NE(classesJob->saveToBytes("x.xlsx", bytes).status, JobStatus::ok);
    EXPECT_TRUE(bytes.empty());

    const JobOutcome checked = make()->check(c.sheet);
    EXPECT_EQ(checked.status, JobStatus::attention);
    ASSERT_FALSE(checked.findings.empty());
    EXPECT_TRUE(checked.findings.front().stopsLoading);
  }
}

// Classes: the class names land in "属性表" from row 18 of the saved bytes, in the outcome's order;
// without "属性表" nothing changes and the advice says what to add.
TEST(Workflows, ClassesAreListedIntoThePropertySheetOfTheSavedBytes) {
  auto wb = sampleWorkbook({3, 4, 2, 5});
  wb->find("属性表")->setCell(18, 1, "3班");  // out of order: the teachers follow their class
  WorkbookJob job(std::move(wb), "测试");
  const JobOutcome& listed = job.listClasses();
  ASSERT_EQ(listed.status, JobStatus::ok) << listed.problem;
  EXPECT_EQ(listed.classes, 3);
  std::string bytes;
  ASSERT_EQ(job.saveToBytes("班级.xlsx", bytes).status, JobStatus::ok);
  auto back = readBack(bytes);
  for (int c = 0; c < 3; ++c)
    EXPECT_EQ(textOf(back->find("属性表")->cell(18 + c, 1)), listed.classNames[c]);

  WorkbookJob refused(sampleWithout("属性表"), "测试");
  const std::string before = testing::dump(refused.workbook());
  const JobOutcome& o = refused.listClasses();
  EXPECT_EQ(o.status, JobStatus::attention);
  EXPECT_EQ(o.advice, Advice::addPropertySheet);
  EXPECT_EQ(testing::dump(refused.workbook()), before);
}

// `classes` pairs the rows as the run does: by name, and the leftovers in order, so a renamed
// class keeps its teachers and each such pairing is told.
TEST(ClassRows, ClassesKeepEveryTeacher) {
  struct Case {
    const char* what;
    std::vector<std::string> rows, classes, teachers, told;
  } cases[] = {
      {"another order", {"2班|王", "1班|李"}, {"1班", "2班"}, {"李", "王"}, {}},
      {"written alike",
       {"高一（1）班|李"},
       {"高一(1)班"},
       {"李"},
       {"“高一（1）班”一行的任课教师归到了“高一(1)班”（写法不同，按同一个班处理）"}},
      {"renamed by the score sheet",
       {"1班|李", "2班|王"},
       {"高一(1)班", "高一(2)班"},
       {"李", "王"},
       {"“高一(1)班”在属性表里没有同名的行，按顺序用了剩下的“1班”一行的任课教师，请核对",
        "“高一(2)班”在属性表里没有同名的行，按顺序用了剩下的“2班”一行的任课教师，请核对"}},
      {"a new class beyond the rows",
       {"1班|李"},
       {"1班", "2班"},
       {"李", ""},
       {"新的班级，请填写任课教师：2班"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host::MemoryWorkbook wb;
    host::MemorySheet& sx = wb.addSheet("属性表");
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      const std::size_t bar = c.rows[i].find('|');
      sx.setCell(18 + int(i), 1, Variant::text(c.rows[i].substr(0, bar)));
      sx.setCell(18 + int(i), 2, Variant::text(c.rows[i].substr(bar + 1)));
    }
    std::vector<ClassRow> old = readClassRows(sx);
    for (std::size_t k = 0; k < c.classes.size(); ++k)
      sx.setCell(18 + int(k), 1, Variant::text(c.classes[k]));
    const ClassRowMoves moves = placeClassRows(sx, std::move(old), c.classes);
    for (std::size_t k = 0; k < c.teachers.size(); ++k)
      EXPECT_EQ(textOf(sx.cell(18 + int(k), 2)), c.teachers[k]) << c.classes[k];
    EXPECT_TRUE(moves.dropped.empty());
    EXPECT_EQ(classMoveLines(moves, "原文件"), c.told);
  }
}

// The reports name each class's own teachers whatever order "属性表" lists the classes in.
TEST(Workflows, TheReportsNameEachClassesOwnTeachers) {
  auto wb = sampleWorkbook({2, 4, 3, 5});
  host::MemorySheet& sx = *wb->find("属性表");
  for (int col = 2; col <= 5; ++col) {
    sx.setCell(18, col, Variant::text("乙" + std::to_string(col)));
    sx.setCell(19, col, Variant::text("甲" + std::to_string(col)));
  }
  sx.setCell(18, 1, Variant::text("2班"));
  sx.setCell(19, 1, Variant::text("1班"));
  WorkbookJob job(std::move(wb), "测试");
  SilentDefaults answers;
  FixedDate date({2026, 12, 6});
  ASSERT_EQ(job.run(answers, date).status, JobStatus::ok);
  for (const char* report : {"两率一分", "完成率表"}) {
    SCOPED_TRACE(report);
    const host::MemorySheet& sh = *job.workbook().find(report);
    int told = 0;
    for (int row = 1; row <= sh.usedRange().row2; ++row) {
      std::string cls, teachers;
      for (int col = 1; col <= sh.usedRange().col2; ++col) {
        const std::string t = textOf(sh.cell(row, col));
        if (t == "1班" || t == "2班") cls = t;
        if (t.starts_with("甲") || t.starts_with("乙")) teachers += t.substr(0, 3);
      }
      if (cls.empty() || teachers.empty()) continue;
      ++told;
      EXPECT_EQ(teachers, cls == "1班" ? "甲" : "乙") << row;
    }
    EXPECT_GT(told, 0);
  }
}

// A run's result in bytes is the workbook the file would hold; a new workbook's bytes read back
// as made; options that cannot be used make nothing and say how to mend them.
TEST(Workflows, ResultsAndNewWorkbooksSaveToBytes) {
  WorkbookJob job(sampleWorkbook({2, 5, 3, 2}), "测试");
  ListAnswers answers({"2", "4"});
  FixedDate date({2026, 12, 6});
  ASSERT_TRUE(job.run(answers, date).problem.empty());
  std::string bytes;
  ASSERT_EQ(job.saveToBytes("测试-统计结果.xlsx", bytes).status, JobStatus::ok);
  const auto file = std::filesystem::temp_directory_path() /
                    ("valdrex-workflows-" + std::to_string(::getpid()) + ".xlsx");
  ASSERT_EQ(job.saveAs(file.string()).status, JobStatus::ok);
  const bool same = testing::dump(*readBack(bytes)) == testing::dump(*io::readWorkbook(file));
  std::filesystem::remove(file);
  EXPECT_TRUE(same);

  JobOutcome failure;
  auto made = WorkbookJob::blankTemplate({{"语文", "数学:150"}, 3}, failure);
  ASSERT_TRUE(made);
  ASSERT_EQ(made->saveToBytes("模板.xlsx", bytes).status, JobStatus::ok);
  auto back = readBack(bytes);
  ASSERT_TRUE(back->find("属性表"));
  EXPECT_EQ(textOf(back->find("成绩表")->cell(2, 5)), "150");
  EXPECT_EQ(made->saveInPlace().status, JobStatus::badRequest);  // made, not read from a file

  const struct {
    const char* what;
    std::function<std::unique_ptr<WorkbookJob>(JobOutcome&)> make;
  } refused[] = {
      {"21 classes",
       [](JobOutcome& f) {
         return WorkbookJob::sample({21, 5, 3, 1}, f);
       }},
      {"no subject",
       [](JobOutcome& f) {
         return WorkbookJob::blankTemplate({{}, 2}, f);
       }},
      {"a subject twice",
       [](JobOutcome& f) {
         return WorkbookJob::blankTemplate({{"语文", "语文"}, 2}, f);
       }},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.what);
    JobOutcome f;
    EXPECT_FALSE(r.make(f));
    EXPECT_EQ(f.status, JobStatus::badRequest);
    EXPECT_EQ(f.advice, Advice::fixOptions);
    EXPECT_THAT(f.problem, HasSubstr("参数有误"));
  }
}

}  // namespace
}  // namespace valdrex
