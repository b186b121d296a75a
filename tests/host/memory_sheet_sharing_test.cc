// A copied block shares its rows with the source until one side changes: every kind of change
// on either side, before or after the paste, must leave the other side as it was.
#include <gtest/gtest.h>

#include <functional>

#include "sheet_fixture.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex::host {
namespace {

const Grid kTable = {{"班级", "姓名", "总分"}, {"1班", "张一", "250"}, {"1班", "张二", "270"}};

struct Edit {
  const char* name;
  std::function<void(MemorySheet&)> apply;
};

// clang-format off
const Edit kEdits[] = {
    {"write", [](MemorySheet& s) { s.setCell(2, 2, "改"); }},
    {"empty a cell", [](MemorySheet& s) { s.setCell(3, 3, ""); }},
    {"clear contents", [](MemorySheet& s) { s.clearContents(between(2, 1, 3, 3)); }},
    {"clear", [](MemorySheet& s) { s.clear(between(1, 1, 3, 3)); }},
    {"border", [](MemorySheet& s) {
       s.setBorder(between(1, 1, 3, 3), BorderSide::Top, LineStyle::Continuous); }},
    {"centre a row", [](MemorySheet& s) { s.setHorizontalAlignment(wholeRow(2), HAlign::Center); }},
    {"merge", [](MemorySheet& s) { s.merge(between(2, 1, 2, 3)); }},
    {"sort", [](MemorySheet& s) {
       SortKey key{3, true};
       s.sort(between(1, 1, 3, 3), std::span(&key, 1), true); }},
    {"delete a row", [](MemorySheet& s) { s.deleteCells(wholeRow(2)); }},
    {"delete part of rows", [](MemorySheet& s) { s.deleteCells(between(2, 2, 2, 3)); }},
    {"insert a row", [](MemorySheet& s) { s.insertRow(2); }},
    {"direct access", [](MemorySheet& s) { s.at(3, 2).value = Variant("改"); }},
};
// clang-format on

class Sharing : public ::testing::Test {
 protected:
  Sharing() : source(wb.addSheet("源")), target(wb.addSheet("目标")) {
    fill(source, 1, 1, kTable);
    source.setBorder(between(1, 1, 3, 3), BorderSide::Left, LineStyle::Continuous);
  }
  static void expectUntouched(const MemorySheet& s, const char* edit) {
    EXPECT_EQ(grid(s, between(1, 1, 3, 3)), kTable) << edit;
    for (int r = 1; r <= 3; ++r)
      for (int c = 1; c <= 3; ++c) {
        ASSERT_NE(s.find(r, c), nullptr) << edit;
        EXPECT_EQ(s.find(r, c)->format.borders, kEdgeLeft) << edit << " " << r << "," << c;
      }
    EXPECT_TRUE(s.merges().empty()) << edit;
    EXPECT_EQ(s.rowFormat(2), nullptr) << edit;
  }

  MemoryWorkbook wb;
  MemorySheet& source;
  MemorySheet& target;
};

TEST_F(Sharing, EditingTheSourceAfterThePasteLeavesTheCopy) {
  for (const Edit& e : kEdits) {
    target.clear(target.usedRange());
    fill(source, 1, 1, kTable);
    source.copy(source.usedRange());
    target.pasteSpecial(1, 1);
    e.apply(source);
    expectUntouched(target, e.name);
    // Put the source back for the next edit.
    source.deleteCells(source.usedRange());
    fill(source, 1, 1, kTable);
    source.setBorder(between(1, 1, 3, 3), BorderSide::Left, LineStyle::Continuous);
  }
}

TEST_F(Sharing, EditingTheCopyLeavesTheSourceAndTheClipboard) {
  source.copy(source.usedRange());
  for (const Edit& e : kEdits) {
    target.deleteCells(target.usedRange());
    target.pasteSpecial(1, 1);
    e.apply(target);
    expectUntouched(source, e.name);
  }
  // After all that, the clipboard still holds the block as it was copied.
  target.deleteCells(target.usedRange());
  target.pasteSpecial(1, 1);
  expectUntouched(target, "paste again");
}

TEST_F(Sharing, TheClipboardKeepsTheBlockAsItWasWhenCopied) {
  source.copy(source.usedRange());
  source.setCell(2, 2, "改");
  source.clear(between(3, 1, 3, 3));
  target.pasteSpecial(1, 1);
  expectUntouched(target, "paste");
}

TEST_F(Sharing, AnInsertedCopyOfARowIsItsOwnRow) {
  source.copy(wholeRow(2));
  source.insertRow(4);
  source.setCell(4, 2, "李四");
  EXPECT_EQ(grid(source, between(2, 1, 4, 3)),
            (Grid{{"1班", "张一", "250"}, {"1班", "张二", "270"}, {"1班", "李四", "250"}}));
}

TEST_F(Sharing, APasteElsewhereMovesTheColumns) {
  source.copy(between(2, 2, 3, 3));
  source.pasteSpecial(5, 4);
  source.setCell(2, 2, "改");
  EXPECT_EQ(grid(source, between(5, 4, 6, 5)), (Grid{{"张一", "250"}, {"张二", "270"}}));
  EXPECT_EQ(grid(source, between(5, 1, 6, 3)), (Grid{{"", "", ""}, {"", "", ""}}));
}

}  // namespace
}  // namespace valdrex::host
