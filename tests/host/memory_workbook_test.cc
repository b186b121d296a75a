// The in-memory workbook: typed input, used range, clearing, formats, sheets and the workbook.
#include "valdrex/host/memory_workbook.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/host/sheet_fixture.h"
#include "valdrex/host/failure.h"

namespace valdrex::host {
namespace {

TEST(TypedInput, TextIsStoredAsATypedNumberOnlyWhenNothingIsLost) {
  struct {
    Variant written;
    Variant stored;
  } cases[] = {
      // clang-format off
      {" 33.33", Variant::number(33.33)}, {"-1.5e2", Variant::number(-150)},
      {".5", Variant::number(0.5)}, {"0501", "0501"}, {" 20以下", " 20以下"}, {"前60名", "前60名"},
      {"110101200001011234", "110101200001011234"}, {Variant::integer(-7), Variant::number(-7)},
      {Variant::long_(100000), Variant::number(100000)},
      {Variant::single(87.2f), Variant::number(87.2)}, {Variant::date(46362), Variant::date(46362)},
      {Variant::boolean(true), Variant::boolean(true)},
      // clang-format on
  };
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  for (const auto& c : cases) {
    s.setCell(2, 3, c.written);
    EXPECT_EQ(s.cell(2, 3), c.stored) << textOf(c.written);
  }
}

TEST(TypedInput, EmptyTextEmptiesTheCellButKeepsItsFormat) {
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  s.setCell(1, 1, "x");
  s.setCell(1, 1, "");
  EXPECT_EQ(s.cellCount(), 0u);

  s.at(2, 2).formula = "A1*2";
  s.setBorder(singleCell(2, 2), BorderSide::Top, LineStyle::Continuous);
  s.setCell(2, 2, Variant::number(5));
  EXPECT_TRUE(s.find(2, 2)->formula.empty());
  s.setCell(2, 2, Variant());
  ASSERT_NE(s.find(2, 2), nullptr);
  EXPECT_EQ(s.find(2, 2)->format.borders, kEdgeTop);
  EXPECT_TRUE(s.find(2, 2)->value.isEmpty());
}

// A text longer than a cell holds keeps its first 32,767 UTF-16 code units, never half a
// character, so that every written workbook can be saved.
std::string repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

TEST(CellTextLimit, LongerTextsKeepTheirFirst32767CodeUnits) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // one character, two UTF-16 code units
  struct {
    const char* what;
    std::string written;
    std::string stored;
  } cases[] = {
      {"at the limit", repeat("a", 32767), repeat("a", 32767)},
      {"one over", repeat("a", 32768), repeat("a", 32767)},
      {"Chinese", repeat("科", 32767) + "分数", repeat("科", 32767)},
      {"a pair that would straddle the limit", repeat("a", 32766) + emoji, repeat("a", 32766)},
      {"pairs that fit", repeat("a", 32765) + emoji + "b", repeat("a", 32765) + emoji},
      // Written as one U+FFFD each: a unit apiece, as the save counts them.
      {"stray bytes", repeat("\x80", 40000), repeat("\x80", 32767)},
      {"a cut-short pair", repeat("a", 32766) + "\xF0\x9F\x98" + "b",
       repeat("a", 32766) + "\xF0\x9F\x98"},
  };
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  for (const auto& c : cases) {
    s.setCell(1, 1, Variant::text(c.written));
    EXPECT_EQ(s.cell(1, 1).text(), c.stored) << c.what;
  }
}

TEST(TypedInput, NumbersAFileCannotHoldAreRefused) {
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  EXPECT_THROW(s.setCell(1, 1, Variant::number(1.0 / 0.0)), Failure);
  EXPECT_THROW(s.setCell(1, 1, Variant::number(std::nan(""))), Failure);
  EXPECT_EQ(s.cellCount(), 0u);
}

TEST(CellAddress, OutsideTheSheetFailsNamingTheCell) {
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  for (auto [row, col] :
       {std::pair{0, 1}, {1, 0}, {kMaxRows + 1, 1}, {1, kMaxColumns + 1}, {-3, 2}}) {
    try {
      s.setCell(row, col, "x");
      ADD_FAILURE() << row << "," << col;
    } catch (const Failure& f) {
      EXPECT_EQ(f.kind(), FailureKind::HostError);
      EXPECT_NE(std::string(f.what()).find(std::to_string(row)), std::string::npos) << f.what();
    }
    EXPECT_THROW(s.cell(row, col), Failure);
  }
  EXPECT_THROW(s.clear(Range{0, 1, 3, 3}), Failure);
}

TEST(UsedRange, CoversValuesFormatsMergesAndRowFormats) {
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  EXPECT_EQ(s.usedRange(), singleCell(1, 1));
  s.setCell(3, 3, "a");
  s.setCell(5, 4, Variant::number(1));
  EXPECT_EQ(s.usedRange(), (Range{3, 3, 5, 4}));
  s.setBorder(singleCell(7, 6), BorderSide::Left, LineStyle::Continuous);
  EXPECT_EQ(s.usedRange(), (Range{3, 3, 7, 6}));
  s.merge(Range{2, 5, 2, 9});
  EXPECT_EQ(s.usedRange(), (Range{2, 3, 7, 9}));
  s.clear(Range{1, 5, 7, 9});
  EXPECT_EQ(s.usedRange(), (Range{3, 3, 5, 4}));
  s.setHorizontalAlignment(wholeRow(9), HAlign::Center);
  EXPECT_EQ(s.usedRange(), (Range{3, 1, 9, 4}));
  s.clear(wholeRow(9));
  s.deleteCells(s.usedRange());
  EXPECT_EQ(s.usedRange(), singleCell(1, 1));
  EXPECT_EQ(s.cellCount(), 0u);
}

TEST(Clearing, ClearContentsKeepsFormatsAndMergesClearTakesAll) {
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  fill(s, 1, 1, {{"a", "b"}, {"c", "d"}});
  s.merge(Range{1, 1, 1, 2});
  s.setBorder(Range{1, 1, 2, 2}, BorderSide::Bottom, LineStyle::Continuous);
  s.clearContents(Range{1, 1, 2, 2});
  EXPECT_EQ(grid(s, Range{1, 1, 2, 2}), (Grid{{"", ""}, {"", ""}}));
  EXPECT_EQ(s.merges().size(), 1u);
  EXPECT_EQ(s.cellCount(), 4u);
  EXPECT_EQ(s.find(2, 2)->format.borders, kEdgeBottom);
  s.clear(Range{1, 1, 2, 2});
  EXPECT_TRUE(s.merges().empty());
  EXPECT_EQ(s.cellCount(), 0u);
}

TEST(Merge, KeepsTheTopLeftValueAndReplacesOverlaps) {
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  fill(s, 1, 1, {{"title", "x", "y"}});
  s.merge(Range{1, 2, 2, 3});
  s.merge(Range{1, 1, 1, 3});
  EXPECT_EQ(grid(s, Range{1, 1, 1, 3}), (Grid{{"title", "", ""}}));
  EXPECT_EQ(s.merges(), (std::vector<Range>{{1, 1, 1, 3}}));
  s.merge(singleCell(4, 4));  // one cell is no merge
  EXPECT_EQ(s.merges().size(), 1u);
}

TEST(Formats, BordersArePerEdgeAndWholeRowsStaySparse) {
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  s.setBorder(Range{1, 1, 2, 2}, BorderSide::Left, LineStyle::Continuous);
  s.setBorder(Range{1, 1, 2, 2}, BorderSide::Bottom, LineStyle::Continuous);
  s.setBorder(singleCell(1, 1), BorderSide::Left, LineStyle::None);
  EXPECT_EQ(s.find(1, 1)->format.borders, kEdgeBottom);
  EXPECT_EQ(s.find(2, 2)->format.borders, kEdgeLeft | kEdgeBottom);
  s.setBorder(Range{1, 1, 2, 2}, BorderSide::Bottom, LineStyle::None);
  s.setBorder(Range{1, 1, 2, 2}, BorderSide::Left, LineStyle::None);
  EXPECT_EQ(s.cellCount(), 0u);

  s.setCell(3, 5, "v");
  s.setBorder(wholeRow(3), BorderSide::Top, LineStyle::Continuous);
  EXPECT_EQ(s.cellCount(), 1u);
  EXPECT_EQ(s.find(3, 5)->format.borders, kEdgeTop);
}

TEST(Formats, AlignmentOfAWholeRowReachesItsLaterCells) {
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
  s.setCell(1, 2, "before");
  s.setHorizontalAlignment(wholeRow(1), HAlign::Center);
  s.setCell(1, 9, Variant::date(46362));
  EXPECT_EQ(s.rowFormat(1)->align, HAlign::Center);
  EXPECT_EQ(s.find(1, 2)->format.align, HAlign::Center);
  EXPECT_EQ(s.find(1, 9)->format.align, HAlign::Center);
  s.setCell(1, 9, "");  // nothing of its own left beyond the row's format
  EXPECT_EQ(s.find(1, 9), nullptr);

  s.setHorizontalAlignment(Range{3, 1, 3, 2}, HAlign::Right);
  EXPECT_EQ(s.find(3, 2)->format.align, HAlign::Right);
}

TEST(Workbook, SheetNamesAreUniqueIgnoringCaseAndFoundExactly) {
  MemoryWorkbook book;
  book.addSheet("输出表");
  book.addSheet("Data");
  EXPECT_THROW(book.addSheet("DATA"), Failure);
  EXPECT_THROW(book.addSheet(""), Failure);
  EXPECT_THROW(book.addSheet("a/b"), Failure);
  EXPECT_EQ(book.find("data"), nullptr);
  EXPECT_EQ(&book.sheet("Data"), book.find("Data"));
  try {
    book.sheet("属性表");
    ADD_FAILURE();
  } catch (const Failure& f) {
    EXPECT_EQ(f.kind(), FailureKind::HostError);
    EXPECT_STREQ(f.what(), "找不到工作表“属性表”");
  }
}

TEST(Workbook, FolderPathAndSave) {
  struct {
    const char* path;
    const char* folder;
  } cases[] = {{"", ""}, {"/home/t/成绩.xlsx", "/home/t"}, {"/成绩.xlsx", "/"}, {"成绩.xlsx", "."}};
  for (auto c : cases) EXPECT_EQ(MemoryWorkbook(c.path).folderPath(), c.folder) << c.path;

  MemoryWorkbook book("/tmp/x.xlsx");
  EXPECT_THROW(book.save(), Failure);
  int saves = 0;
  book.setSaver([&](MemoryWorkbook& b) { saves += &b == &book; });
  book.save();
  EXPECT_EQ(saves, 1);
}

TEST(Workbook, SelectingAndHidingTrackTheActiveSheet) {
  MemoryWorkbook book;
  MemorySheet& a = book.addSheet("A");
  MemorySheet& b = book.addSheet("B");
  b.selectCell(4, 2);
  EXPECT_EQ(book.activeSheet, 1u);
  EXPECT_EQ(b.selection(), std::make_pair(4, 2));
  b.setVisible(SheetVisibility::Hidden);
  EXPECT_FALSE(b.visible());
  EXPECT_EQ(book.activeSheet, 0u);
  EXPECT_THROW(a.setVisible(SheetVisibility::Hidden), Failure);  // the last visible sheet stays
  b.setVisible(SheetVisibility::Visible);
  EXPECT_TRUE(b.visible());
}

}  // namespace
}  // namespace valdrex::host
