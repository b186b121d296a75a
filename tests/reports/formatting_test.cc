#include "valdrex/reports/formatting.h"

#include <gtest/gtest.h>

#include "valdrex/host/failure.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {
namespace {

using host::kEdgeBottom, host::kEdgeLeft, host::kEdgeRight, host::kEdgeTop;
constexpr uint8_t kAllEdges = kEdgeLeft | kEdgeRight | kEdgeTop | kEdgeBottom;

uint8_t borders(const host::MemorySheet& sh, int row, int col) {
  const host::Cell* c = sh.find(row, col);
  return c ? c->format.borders : 0;
}

Variant n(int v) { return Variant::long_(v); }

TEST(Borders, EveryCellOfTheBlockGetsAllFourSidesAndNothingOutside) {
  host::MemoryWorkbook wb;
  auto& sh = wb.addSheet("表");
  EXPECT_TRUE(addBorders(sh, n(2), n(1), n(5), n(4)).isEmpty());
  for (int row = 1; row <= 6; ++row)
    for (int col = 1; col <= 5; ++col) {
      bool inside = row >= 2 && row <= 5 && col <= 4;
      EXPECT_EQ(borders(sh, row, col), inside ? kAllEdges : 0) << row << "," << col;
    }

  addBorders(sh, n(9), n(7), n(9), n(7));
  EXPECT_EQ(borders(sh, 9, 7), kAllEdges);
  EXPECT_EQ(borders(sh, 9, 8), 0);
  EXPECT_THROW(addBorders(sh, n(0), n(1), n(2), n(2)), Failure);
}

TEST(CopySheet, UsedRangeLandsAtA1WithFormatsAndTheRestOfTheTargetStays) {
  host::MemoryWorkbook wb;
  auto& from = wb.addSheet("源");
  auto& to = wb.addSheet("目标");
  from.setCell(3, 3, "甲");
  from.setCell(4, 4, Variant::number(87.5));
  addBorders(from, n(4), n(4), n(4), n(4));
  to.setCell(1, 1, "旧");
  to.setCell(10, 10, "留下");

  copySheet(from, to);
  EXPECT_EQ(to.cell(1, 1), Variant("甲"));
  EXPECT_EQ(to.cell(2, 2), Variant::number(87.5));
  EXPECT_EQ(borders(to, 2, 2), kAllEdges);
  EXPECT_EQ(to.cell(3, 3), Variant());
  EXPECT_EQ(to.cell(10, 10), Variant("留下"));
}

}  // namespace
}  // namespace valdrex
