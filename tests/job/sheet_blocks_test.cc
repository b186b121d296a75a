// What a run changed on a sheet, as blocks a spreadsheet program writes at once: the program's
// sheet must end as the copy did, and nothing the run left alone may be written over.
#include "valdrex/job/session/sheet_blocks.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "host/sheet_fixture.h"
#include "valdrex/host/date.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/session/live_workbook.h"
#include "valdrex/job/session/workbook_sheets.h"
#include "valdrex/job/workbook_job.h"

namespace valdrex {
namespace {

using host::Range;

// Applies the blocks to a sheet holding the values of `before` and no formats, as a host would.
void apply(const SheetBlocks& blocks, host::MemorySheet& sh) {
  for (const Range& b : blocks.cleared) sh.clear(b);
  for (const ValueBlock& b : blocks.values) {
    std::size_t i = 0;
    for (int row = b.range.row1; row <= b.range.row2; ++row)
      for (int col = b.range.col1; col <= b.range.col2; ++col)
        sh.at(row, col).value = b.values[i++];
  }
  for (const auto& [b, code] : blocks.numberFormats) sh.setNumberFormat(b, code);
  for (const auto& [b, alignment] : blocks.alignments) sh.setHorizontalAlignment(b, alignment);
  for (const auto& [b, edges] : blocks.borders)
    for (auto [edge, side] : {std::pair{host::kEdgeLeft, host::BorderSide::Left},
                              {host::kEdgeRight, host::BorderSide::Right},
                              {host::kEdgeTop, host::BorderSide::Top},
                              {host::kEdgeBottom, host::BorderSide::Bottom}})
      if (edges & edge) sh.setBorder(b, side, host::LineStyle::Continuous);
  for (const Range& b : blocks.merges) sh.merge(b);
}

// Cell by cell, values and formats, over both sheets; a date the copy shows by its kind shows by
// its format in the program.
void expectSame(const host::MemorySheet& got, const host::MemorySheet& want) {
  auto shown = [](const host::Cell* cell) {
    host::CellFormat f = cell ? cell->format : host::CellFormat{};
    if (cell && cell->value.kind() == VarKind::Date && f.numberFormat.empty())
      f.numberFormat = std::string(kDateFormatCode);
    return f;
  };
  const Range a = got.usedRange(), b = want.usedRange();
  for (int row = 1; row <= std::max(a.row2, b.row2); ++row)
    for (int col = 1; col <= std::max(a.col2, b.col2); ++col) {
      const host::Cell* g = got.find(row, col);
      const host::Cell* w = want.find(row, col);
      EXPECT_EQ(g ? g->value : Variant(), w ? w->value : Variant()) << host::cellName(row, col);
      EXPECT_EQ(shown(g), shown(w)) << host::cellName(row, col);
    }
  EXPECT_EQ(got.merges(), want.merges());
}

struct Change {
  const char* what;
  void (*change)(host::MemorySheet&);
};

// Runs as the reports make them: from a sheet holding an earlier result, or nothing.
const Change kChanges[] = {
    {"rebuilt after deleting the earlier result",
     [](host::MemorySheet& sh) {
       sh.deleteCells(sh.usedRange());
       host::fill(sh, 1, 1, {{"标题", "", "", "2026/12/6"}, {}, {"班级", "人数"}, {"1班", "40"}});
       sh.merge({1, 1, 1, 3});
       sh.setBorder({3, 1, 4, 2}, host::BorderSide::Left, host::LineStyle::Continuous);
       sh.setBorder({3, 1, 4, 2}, host::BorderSide::Top, host::LineStyle::Continuous);
       sh.setHorizontalAlignment(host::wholeRow(1), host::HAlign::Center);
       sh.setHorizontalAlignment({3, 2, 3, 2}, host::HAlign::Right);
       sh.setNumberFormat({4, 2, 4, 2}, "0.00");
       sh.setCell(5, 1, Variant::date(46000));
     }},
    {"rows inserted, copied and sorted",
     [](host::MemorySheet& sh) {
       sh.clear(sh.usedRange());
       host::fill(sh, 1, 1, {{"姓名", "分"}, {"甲", "3"}, {"乙", "1"}, {"丙", "2"}});
       sh.setBorder({1, 1, 1, 2}, host::BorderSide::Bottom, host::LineStyle::Continuous);
       sh.copy(host::wholeRow(1));
       sh.insertRow(3);
       const host::SortKey key{2, false};
       sh.sort({3, 1, 5, 2}, std::span(&key, 1), true);
     }},
    {"a few cells changed and one emptied, the rest kept",
     [](host::MemorySheet& sh) {
       sh.setCell(2, 2, "99");
       sh.setCell(7, 3, "");
       sh.setCell(9, 1, "新");
     }},
    {"nothing changed", [](host::MemorySheet&) {}},
};

TEST(SheetBlocks, TheProgramsSheetEndsAsTheCopy) {
  for (const Change& run : kChanges) {
    SCOPED_TRACE(run.what);
    for (bool earlier : {true, false}) {
      host::MemoryWorkbook wb;
      host::MemorySheet& copy = wb.addSheet("表");
      if (earlier) host::fill(copy, 1, 1, {{"旧", "1", "2"}, {"旧", "3", "4"}});
      if (earlier) host::fill(copy, 6, 1, {{"a", "b", "c"}, {"d", "e", "f"}});
      host::MemorySheet& program = wb.addSheet("程序");
      copy.forEachCell([&](int r, int c, const host::Cell& cell) { program.at(r, c) = cell; });
      const SheetValues before(copy);
      run.change(copy);
      const SheetBlocks blocks = sheetBlocks(before, copy);
      apply(blocks, program);
      expectSame(program, copy);
    }
  }
}

TEST(SheetBlocks, OnlyWhatTheRunChangedIsWritten) {
  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet("表");
  host::fill(sh, 1, 1, {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
  const SheetValues before(sh);
  EXPECT_TRUE(sheetBlocks(before, sh).empty());
  sh.setCell(2, 2, "新");
  sh.setCell(3, 3, "");
  const SheetBlocks blocks = sheetBlocks(before, sh);
  EXPECT_TRUE(blocks.cleared.empty());
  ASSERT_EQ(blocks.values.size(), 1u);  // two rows next to each other: one block
  EXPECT_EQ(blocks.values[0].range, (Range{2, 2, 3, 3}));
}

TEST(SheetBlocks, ATableIsAFewBlocksHoweverLong) {
  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet("表");
  host::fill(sh, 1, 1, {{"旧"}});
  const SheetValues before(sh);
  sh.deleteCells(sh.usedRange());
  for (int table = 0; table < 20; ++table) {
    const int top = 1 + table * 60;  // a blank row between tables
    sh.setCell(top, 1, "班级");
    for (int row = top + 1; row < top + 59; ++row)
      for (int col = 1; col <= 12; ++col) sh.setCell(row, col, Variant::number(row * col));
    sh.merge({top, 1, top, 12});
    for (auto side : {host::BorderSide::Left, host::BorderSide::Right, host::BorderSide::Top,
                      host::BorderSide::Bottom})
      sh.setBorder({top + 1, 1, top + 58, 12}, side, host::LineStyle::Continuous);
  }
  const SheetBlocks blocks = sheetBlocks(before, sh);
  EXPECT_EQ(blocks.cleared, (std::vector<Range>{{1, 1, 1, 1}}));
  EXPECT_EQ(blocks.values.size(), 1u);  // the blank rows between the tables with them
  EXPECT_EQ(blocks.borders.size(), 20u);
  EXPECT_EQ(blocks.merges.size(), 20u);
}

TEST(SheetBlocks, ADateWithoutAFormatShowsAsTheCommandWritesIt) {
  host::MemoryWorkbook wb;
  host::MemorySheet& sh = wb.addSheet("表");
  const SheetValues before(sh);
  sh.setCell(1, 1, Variant::date(46000));
  sh.setCell(1, 2, Variant::date(46000));
  sh.setNumberFormat({1, 2, 1, 2}, "yyyy-mm-dd");
  const SheetBlocks blocks = sheetBlocks(before, sh);
  ASSERT_EQ(blocks.numberFormats.size(), 2u);
  EXPECT_EQ(blocks.numberFormats[0].value, std::string(kDateFormatCode));
  EXPECT_EQ(blocks.numberFormats[1].value, "yyyy-mm-dd");
}

// A spreadsheet program's workbook held in memory, values only, as the program gives them.
class ProgramWorkbook final : public LiveWorkbook {
 public:
  explicit ProgramWorkbook(const host::MemoryWorkbook& from) {
    for (std::size_t i = 0; i < from.sheetCount(); ++i) {
      host::MemorySheet& to = book.addSheet(from.sheetAt(i).name());
      from.sheetAt(i).forEachCell([&](int r, int c, const host::Cell& cell) {
        if (!cell.value.isEmpty()) to.at(r, c).value = cell.value;
      });
    }
  }
  bool hasSheet(std::string_view name) override { return book.find(name) != nullptr; }
  void addSheet(const std::string& name) override { book.addSheet(name); }
  void putStored(std::string_view sheet, int row, int col, const Variant& stored) override {
    book.find(sheet)->at(row, col).value = stored;
  }
  void writeBlocks(std::string_view name, const SheetBlocks& blocks) override {
    written.emplace(name);
    apply(blocks, *book.find(name));
  }
  void setVisible(std::string_view name, bool visible) override {
    book.find(name)->setVisible(visible ? host::SheetVisibility::Visible
                                        : host::SheetVisibility::Hidden);
  }
  void activate(std::string_view name, std::optional<std::pair<int, int>> cell) override {
    active = std::string(name);
    selected = cell;
  }
  void setPrintLayout(std::string_view name, const host::PrintLayout& layout) override {
    layouts[std::string(name)] = layout;
  }
  void setColumnWidths(std::string_view name, const std::map<int, double>& widths) override {
    for (const auto& [col, width] : widths) book.find(name)->setColumnWidth(col, width);
  }
  void flush() override { ++flushes; }

  host::MemoryWorkbook book;
  std::set<std::string, std::less<>> written;
  std::map<std::string, host::PrintLayout> layouts;
  std::string active;
  std::optional<std::pair<int, int>> selected;
  int flushes = 0;
};

// A whole run on a copy of a workbook's values, twice (the second over the first's result, with
// a student fewer):
// the program's workbook ends as the copy, and only the report sheets are written, each with the
// print layout the copy has.
TEST(SheetBlocks, ARunEndsInTheProgramAsOnTheCopy) {
  auto sample = sampleWorkbook({4, 30, 5, 3});
  ProgramWorkbook program(*sample);
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    program.written.clear();
    program.layouts.clear();
    if (run == 2) {  // one student fewer: every table ends a row earlier
      host::MemorySheet& scores = *program.book.find("成绩表");
      scores.deleteCells(host::wholeRow(scores.usedRange().row2));
    }
    // The job's copy: the program's values.
    auto values = std::make_unique<host::MemoryWorkbook>();
    for (std::size_t i = 0; i < program.book.sheetCount(); ++i) {
      host::MemorySheet& to = values->addSheet(program.book.sheetAt(i).name());
      program.book.sheetAt(i).forEachCell([&](int r, int c, const host::Cell& cell) {
        if (!cell.value.isEmpty()) to.at(r, c).value = cell.value;
      });
    }
    WorkbookJob live(std::move(values), "样例");
    SilentDefaults answers;
    FixedDate date({2026, 12, 6});
    RunSettings settings;
    settings.charts = false;
    settings.live = &program;
    ASSERT_EQ(live.run(answers, date, settings).problem, "");
    const host::MemoryWorkbook& result = live.workbook();
    ASSERT_EQ(program.book.sheetCount(), result.sheetCount());
    for (std::size_t i = 0; i < result.sheetCount(); ++i) {
      const host::MemorySheet& want = result.sheetAt(i);
      SCOPED_TRACE(want.name());
      const host::MemorySheet& got = *program.book.find(want.name());
      EXPECT_EQ(host::grid(got, got.usedRange()), host::grid(want, got.usedRange()));
      EXPECT_EQ(host::grid(got, want.usedRange()), host::grid(want, want.usedRange()));
      EXPECT_EQ(got.merges(), want.merges());
      if (!isReportSheet(want.name())) {
        EXPECT_FALSE(program.written.contains(want.name()));
        EXPECT_FALSE(program.layouts.contains(want.name()));
      } else if (program.written.contains(want.name())) {
        ASSERT_TRUE(program.layouts.contains(want.name()));
        EXPECT_EQ(program.layouts[want.name()], want.printLayout());
      }
    }
    EXPECT_EQ(program.flushes, run);
  }
}

}  // namespace
}  // namespace valdrex
