// Sorting, deleting, inserting and copying rows of the in-memory sheet.
#include <gtest/gtest.h>

#include "tests/host/sheet_fixture.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::host {
namespace {

class Rows : public testing::Test {
 protected:
  MemoryWorkbook book;
  MemorySheet& s = book.addSheet("Sheet1");
};

TEST_F(Rows, SortAscendingPutsNumbersTextsBooleansErrorsThenEmpties) {
  fill(s, 1, 1, {{"key", "tag"}, {"b", "1"}, {"", "2"}, {"10", "3"}, {"A", "4"}, {"9", "5"}});
  fill(s, 7, 1, {{"a", "6"}, {"", "7"}, {"", "8"}, {"", "9"}, {"", "10"}});
  s.setCell(9, 1, Variant::boolean(false));
  s.at(10, 1).value = Variant::error("#N/A");
  s.setCell(11, 1, Variant::boolean(true));
  SortKey key{1, false};
  s.sort(Range{1, 1, 11, 2}, {&key, 1}, true);
  EXPECT_EQ(grid(s, Range{1, 2, 11, 2}),
            (Grid{{"tag"}, {"5"}, {"3"}, {"4"}, {"6"}, {"1"}, {"8"}, {"10"}, {"9"}, {"2"}, {"7"}}));
}

TEST_F(Rows, SortDescendingKeepsEmptiesLastAndTiesInOrder) {
  fill(s, 1, 1, {{"", "1"}, {"5", "2"}, {"x", "3"}, {"5", "4"}, {"7", "5"}});
  SortKey key{1, true};
  s.sort(Range{1, 1, 5, 2}, {&key, 1}, false);
  EXPECT_EQ(grid(s, Range{1, 1, 5, 2}),
            (Grid{{"x", "3"}, {"7", "5"}, {"5", "2"}, {"5", "4"}, {"", "1"}}));
}

TEST_F(Rows, SortByThreeKeysMovesOnlyTheBlockColumns) {
  // clang-format off
  fill(s, 1, 1, {{"1", "", "0", "r1"}, {"1", "b", "2", "r2"}, {"1", "a", "9", "r3"},
                 {"0", "b", "1", "r4"}, {"1", "B", "1", "r5"}});
  SortKey keys[] = {{1, false}, {2, true}, {3, false}};
  s.sort(Range{1, 1, 5, 3}, keys, false);
  EXPECT_EQ(grid(s, Range{1, 1, 5, 4}), (Grid{{"0", "b", "1", "r1"}, {"1", "B", "1", "r2"},
      {"1", "b", "2", "r3"}, {"1", "a", "9", "r4"}, {"1", "", "0", "r5"}}));
  // clang-format on
  SortKey outside{4, false};
  EXPECT_THROW(s.sort(Range{1, 1, 4, 3}, {&outside, 1}, false), Failure);
}

TEST_F(Rows, SortKeepsRowsWithoutKeyInPlaceOrderAfterTheOthers) {
  // Row 3 has no key and row 4 is empty: both follow the keyed rows, in their order.
  fill(s, 1, 1, {{"3", "a"}, {"1", "b"}, {"", "c"}, {"", ""}, {"2", "d"}});
  SortKey key{1, false};
  s.sort(Range{1, 1, 5, 2}, {&key, 1}, false);
  EXPECT_EQ(grid(s, Range{1, 1, 5, 2}),
            (Grid{{"1", "b"}, {"2", "d"}, {"3", "a"}, {"", "c"}, {"", ""}}));
}

TEST_F(Rows, DeletingAWholeRowMovesValuesMergesBordersAndRowFormatsUp) {
  fill(s, 1, 1, {{"title"}, {"head"}, {"x", "y"}});
  s.merge(Range{1, 1, 1, 3});
  s.merge(Range{3, 1, 3, 2});
  s.merge(Range{2, 4, 4, 4});
  s.setBorder(singleCell(3, 2), BorderSide::Right, LineStyle::Continuous);
  s.setHorizontalAlignment(wholeRow(2), HAlign::Center);
  s.deleteCells(wholeRow(1));
  EXPECT_EQ(grid(s, Range{1, 1, 2, 2}), (Grid{{"head", ""}, {"x", ""}}));
  EXPECT_EQ(s.merges(), (std::vector<Range>{{2, 1, 2, 2}, {1, 4, 3, 4}}));
  EXPECT_EQ(s.find(2, 2)->format.borders, kEdgeRight);
  ASSERT_NE(s.rowFormat(1), nullptr);
  EXPECT_EQ(s.rowFormat(2), nullptr);

  s.deleteCells(Range{2, 1, 2, kMaxColumns});  // the merge across it shrinks
  EXPECT_EQ(s.merges(), (std::vector<Range>{{1, 4, 2, 4}}));
}

TEST_F(Rows, DeletingPartOfRowsShiftsOnlyItsColumns) {
  fill(s, 1, 1, {{"a1", "b1", "c1"}, {"a2", "b2", "c2"}, {"a3", "b3", "c3"}});
  s.deleteCells(Range{1, 2, 1, 2});
  EXPECT_EQ(grid(s, Range{1, 1, 3, 3}),
            (Grid{{"a1", "b2", "c1"}, {"a2", "b3", "c2"}, {"a3", "", "c3"}}));

  s.merge(Range{2, 1, 2, 2});
  Grid before = grid(s, Range{1, 1, 3, 3});
  EXPECT_THROW(s.deleteCells(Range{1, 2, 1, 3}), Failure);  // would cut the merge in two
  EXPECT_EQ(grid(s, Range{1, 1, 3, 3}), before);
}

TEST_F(Rows, InsertWithoutACopyOpensAnEmptyRow) {
  fill(s, 1, 1, {{"a"}, {"b"}});
  s.merge(Range{1, 2, 2, 2});
  s.insertRow(2);
  EXPECT_EQ(grid(s, Range{1, 1, 3, 1}), (Grid{{"a"}, {""}, {"b"}}));
  EXPECT_EQ(s.merges(), (std::vector<Range>{{1, 2, 3, 2}}));  // a merge across the gap grows
  s.setCell(kMaxRows, 1, "last");
  EXPECT_THROW(s.insertRow(5), Failure);  // nothing is pushed off the sheet
}

TEST_F(Rows, InsertAfterCopyingARowInsertsItOnce) {
  MemorySheet& other = book.addSheet("Other");
  other.setCell(1, 1, "班级名");
  other.setCell(1, 4, Variant::date(46362));
  other.merge(Range{1, 1, 1, 3});
  other.merge(Range{1, 4, 1, 5});
  other.setHorizontalAlignment(wholeRow(1), HAlign::Center);
  other.setBorder(singleCell(1, 2), BorderSide::Bottom, LineStyle::Continuous);
  other.setCell(1, kMaxColumns, "far");
  other.copy(wholeRow(1));

  fill(s, 1, 1, {{"head"}, {"s1"}, {"s2"}});
  s.merge(Range{3, 1, 3, 2});
  s.insertRow(3);
  EXPECT_EQ(grid(s, Range{1, 1, 4, 1}), (Grid{{"head"}, {"s1"}, {"班级名"}, {"s2"}}));
  EXPECT_EQ(s.cell(3, 4), Variant::date(46362));
  EXPECT_EQ(s.cell(3, kMaxColumns), Variant("far"));
  EXPECT_EQ(s.merges(), (std::vector<Range>{{4, 1, 4, 2}, {3, 1, 3, 3}, {3, 4, 3, 5}}));
  EXPECT_EQ(s.find(3, 2)->format.borders, kEdgeBottom);
  EXPECT_EQ(s.rowFormat(3)->align, HAlign::Center);

  s.insertRow(1);  // the copy is used up
  EXPECT_EQ(grid(s, Range{1, 1, 2, 1}), (Grid{{""}, {"head"}}));
  EXPECT_THROW(s.pasteSpecial(1, 1), Failure);
}

TEST_F(Rows, PasteOverwritesTheAreaWithTheCopiedBlock) {
  MemorySheet& source = book.addSheet("Source");
  fill(source, 3, 3, {{"t", ""}, {"a", "1"}});
  source.merge(Range{3, 3, 3, 4});
  source.setBorder(singleCell(4, 4), BorderSide::Left, LineStyle::Continuous);
  source.copy(source.usedRange());

  fill(s, 1, 1, {{"old", "old"}, {"old", "old"}, {"keep"}});
  s.pasteSpecial(1, 1);
  EXPECT_EQ(grid(s, Range{1, 1, 3, 2}), (Grid{{"t", ""}, {"a", "1"}, {"keep", ""}}));
  EXPECT_EQ(s.merges(), (std::vector<Range>{{1, 1, 1, 2}}));
  EXPECT_EQ(s.find(2, 2)->format.borders, kEdgeLeft);

  s.pasteSpecial(5, 5);  // a paste leaves the copy in place
  EXPECT_EQ(s.cell(6, 6), Variant::number(1));
  source.copy(wholeRow(3));
  EXPECT_THROW(s.pasteSpecial(1, 2), Failure);  // a whole row fits only at column 1
}

TEST_F(Rows, CopyingPartOfARowCarriesTheRowsAlignment) {
  fill(s, 1, 1, {{"x", "", "z"}});
  s.setHorizontalAlignment(wholeRow(1), HAlign::Center);
  s.copy(Range{1, 1, 1, 3});
  MemorySheet& target = book.addSheet("Target");
  target.pasteSpecial(2, 1);
  EXPECT_EQ(target.rowFormat(2), nullptr);
  for (int col = 1; col <= 3; ++col) EXPECT_EQ(target.find(2, col)->format.align, HAlign::Center);
}

}  // namespace
}  // namespace valdrex::host
