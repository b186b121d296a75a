// The sheets a workbook job adds: ready to print, and the result opens on the first report. What
// decides between refusing, warning and a clean result. (What it tells its caller is checked
// through the command.)
#include "valdrex/job/workbook_job.h"

#include <gmock/gmock.h>

#include <functional>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/presentation/print_ready.h"

namespace valdrex {
namespace {

// Report sheets the run adds print with their headers on every page; a sheet the teacher had
// keeps its own settings, and the result opens on "输出表" unless a report was open.
TEST(WorkbookJob, AddedSheetsArePrintReadyAndTheResultOpensOnTheFirstReport) {
  auto sample = sampleWorkbook({2, 5, 2, 1});
  sample->find("成绩表")->setCell(4, 3, "欧阳娜娜娜娜娜娜");  // wider than a default column
  auto bookWith = [&](std::vector<const char*> sheets, std::size_t active) {
    auto wb = std::make_unique<host::MemoryWorkbook>();
    for (const char* name : sheets) {
      host::MemorySheet& to = wb->addSheet(name);
      if (host::MemorySheet* from = sample->find(name))
        from->forEachCell([&](int r, int c, const host::Cell& cell) { to.at(r, c) = cell; });
    }
    wb->activeSheet = active;
    return wb;
  };
  // Each class's list and each table fits a page: no header rows repeat over the page's own.
  struct Added {
    const char* sheet;
    int repeatFirst, repeatLast, frozenRows, frozenColumns;
    std::vector<std::pair<int, int>> boldCells;  // 2 classes of 5, tables of 2 subjects + total
    std::vector<int> rowBreaks;
  };
  const std::vector<Added> added = {
      {"输出表", 1, 2, 2, 3, {{1, 1}, {2, 3}}, {}},
      {"各班排名表", 0, 0, 2, 3, {{2, 3}, {8, 1}, {9, 3}}, {8}},
      {"各班详细排名", 0, 0, 2, 3, {{9, 4}}, {8}},
      {"年级排名表", 1, 2, 2, 3, {{2, 8}}, {}},
      {"年级详细排名", 1, 2, 2, 3, {{2, 12}}, {}},
      {"完成率表", 0, 0, 0, 1, {{3, 11}, {12, 4}, {13, 11}}, {}},
      {"分数段统计", 0, 0, 0, 1, {{8, 1}, {13, 15}}, {}},
      {"名次段统计", 0, 0, 0, 1, {{6, 4}, {11, 2}}, {}},
  };

  WorkbookJob job(bookWith({"成绩表", "属性表", "两率一分"}, 2), "测试");
  SilentDefaults answers;
  FixedDate date({2026, 12, 6});
  ASSERT_TRUE(job.run(answers, date).ran);
  host::MemoryWorkbook& wb = job.workbook();
  for (const Added& a : added) {
    const host::MemorySheet& sh = *wb.find(a.sheet);
    ASSERT_TRUE(sh.printLayout()) << a.sheet;
    const host::PrintLayout& p = *sh.printLayout();
    EXPECT_EQ(std::vector<int>({p.repeatFirstRow, p.repeatLastRow, p.frozenRows, p.frozenColumns}),
              std::vector<int>({a.repeatFirst, a.repeatLast, a.frozenRows, a.frozenColumns}))
        << a.sheet;
    EXPECT_EQ(p.rowBreaks, a.rowBreaks) << a.sheet;
    EXPECT_TRUE(p.scale >= 10 && p.scale <= 100) << a.sheet;
    EXPECT_EQ(p.headerTitle, a.sheet);
    EXPECT_EQ(p.headerDate, "2026/12/6");
    EXPECT_FALSE(p.keepsOwnPage);
    for (auto [r, c] : a.boldCells)
      EXPECT_TRUE(sh.find(r, c) && sh.find(r, c)->format.bold) << a.sheet << " " << r << "," << c;
    EXPECT_FALSE(sh.find(4, 1)->format.bold) << a.sheet;
  }
  EXPECT_TRUE(wb.find("年级详细排名")->printLayout()->landscape);
  const host::MemorySheet& names = *wb.find("年级排名表");
  for (int r = 2; r <= 12; ++r)
    EXPECT_GE(names.columnWidths().at(3), textUnits(textOf(names.cell(r, 3)))) << r;
  EXPECT_GE(names.columnWidths().at(3), 16);
  EXPECT_EQ(textUnits("语文a"), 5);

  // The report sheet the teacher had gets its breaks and header, and keeps the rest of its own.
  const host::MemorySheet& had = *wb.find("两率一分");
  ASSERT_TRUE(had.printLayout());
  EXPECT_TRUE(had.printLayout()->keepsOwnPage);
  EXPECT_EQ(had.printLayout()->headerTitle, "两率一分");
  EXPECT_TRUE(had.columnWidths().empty());
  EXPECT_FALSE(had.find(3, 1)->format.bold);
  EXPECT_EQ(wb.activeSheet, 2u) << "the report the teacher had open";

  WorkbookJob bare(bookWith({"成绩表", "属性表"}, 0), "测试");
  ASSERT_TRUE(bare.run(answers, date).ran);
  EXPECT_EQ(bare.workbook().sheetAt(bare.workbook().activeSheet).name(), "输出表");
}

using ::testing::Contains;
using ::testing::HasSubstr;

// Each report sheet's cells, one line a cell.
std::string reportCells(host::MemoryWorkbook& wb) {
  std::string out;
  for (std::string_view name : kReportSheetNames)
    wb.find(name)->forEachCell([&](int r, int c, const host::Cell& cell) {
      out += std::string(name) + " " + std::to_string(r) + "," + std::to_string(c) + " " +
             textOf(cell.value) + "\n";
    });
  return out;
}

TEST(WorkbookJob, WhatRefusesAndWhatWarns) {
  // Sample: 4 classes of 8, 3 subjects; the tier label 4 × T fits 16 bits up to T = 8191.
  const struct {
    const char* what;
    std::function<void(host::MemoryWorkbook&)> change;
    std::optional<TargetAnswers> targets;
    JobStatus status;
    const char* told;  // in the problem when refused, else in a warning; "" for none
  } cases[] = {
      {"largest second target", [](auto&) {}, TargetAnswers{5, 8191}, JobStatus::ok, ""},
      {"second target beyond it", [](auto&) {}, TargetAnswers{5, 8192}, JobStatus::badRequest,
       "二档指标数最大为 8191"},
      {"twenty class rows",
       [](auto& wb) {
         for (int r = 22; r <= 37; ++r) wb.find("属性表")->setCell(r, 1, "班" + std::to_string(r));
       },
       std::nullopt, JobStatus::ok, ""},
      {"a class row beyond twenty",
       [](auto& wb) {
         for (int r = 22; r <= 38; ++r) wb.find("属性表")->setCell(r, 1, "班" + std::to_string(r));
       },
       std::nullopt, JobStatus::attention, "属性表!A38：班级行超过 20 行"},
      {"a class row beyond twenty and too many students",
       [](auto& wb) {
         for (int r = 22; r <= 38; ++r) wb.find("属性表")->setCell(r, 1, "班" + std::to_string(r));
         for (int r = 36; r <= 140; ++r) {
           wb.find("成绩表")->setCell(r, 1, "1班");
           wb.find("成绩表")->setCell(r, 2, Variant::number(r));
         }
       },
       std::nullopt, JobStatus::attention, "没有写入结果：统计会在载入时停下"},
      // A grade average of 0 leaves the average rate empty; the sheet is written whole.
      {"a subject everybody scored 0 in",
       [](auto& wb) {
         for (int r = 4; r <= 35; ++r) wb.find("成绩表")->setCell(r, 4, Variant::number(0));
       },
       std::nullopt, JobStatus::ok, ""},
  };
  std::string twentyRows;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto wb = sampleWorkbook({4, 8, 3, 3});
    c.change(*wb);
    WorkbookJob job(std::move(wb), "测试");
    std::vector<std::optional<std::string>> given;
    if (c.targets) given = {std::to_string(c.targets->first), std::to_string(c.targets->second)};
    ListAnswers answers(given);
    FixedDate date({2026, 12, 6});
    RunSettings settings;
    settings.targets = c.targets;
    const JobOutcome& o = job.run(answers, date, settings);
    EXPECT_EQ(o.status, c.status) << o.problem;
    if (!o.ran || !o.problem.empty()) {
      EXPECT_THAT(o.problem, HasSubstr(c.told));
    } else if (*c.told) {
      EXPECT_THAT(o.warnings, Contains(HasSubstr(c.told)));
    } else {
      EXPECT_THAT(o.warnings, ::testing::IsEmpty());
    }
    // Rows beyond twenty hold no class of the score sheet: every report stays as with twenty.
    const std::string what = c.what;
    if (what == "twenty class rows") twentyRows = reportCells(job.workbook());
    if (what == "a class row beyond twenty") {
      EXPECT_EQ(reportCells(job.workbook()), twentyRows);
    }
  }
}

}  // namespace
}  // namespace valdrex
