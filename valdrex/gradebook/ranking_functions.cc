#include "valdrex/gradebook/ranking_functions.h"

#include "valdrex/host/arithmetic.h"

namespace valdrex {

namespace {

// A row or column number passed as a Variant.
int32_t place(const Variant& v) { return toLong(numericValue(v)); }

}  // namespace

Variant writeRank(const Variant& row, const Variant& firstRow, const Variant& lastRow,
                  const Variant& valueColumn, const Variant& rankColumn, host::Worksheet& sh) {
  int32_t r = place(row), first = place(firstRow), last = place(lastRow), col = place(valueColumn);
  int32_t n = 0;
  if (first <= last) {
    Variant own = sh.cell(r, col);
    for (int32_t i = first; i <= last; ++i)
      if (compareValues(own, sh.cell(i, col)) < 0) ++n;
  }
  sh.setCell(r, place(rankColumn), Variant::number(n + 1.0));
  return Variant();
}

Variant groupRank(const Variant& groupColumn, const Variant& valueColumn, const Variant& row,
                  const std::string& sheetName, host::Workbook& activeWorkbook) {
  int32_t group = place(groupColumn), col = place(valueColumn), at = place(row);
  // The sheet is looked up again for every read, as the macros expect of a sheet named by text.
  auto cell = [&](int32_t r, int32_t k) { return activeWorkbook.sheet(sheetName).cell(r, k); };
  int32_t n = 0;
  for (int32_t i = 3; !textOf(cell(i, col)).empty(); ++i) {
    // Both comparisons are made, so a value that cannot be compared fails even in another group.
    bool sameGroup = compareValues(cell(i, group), cell(at, group)) == 0;
    bool higher = compareValues(cell(at, col), cell(i, col)) < 0;
    if (sameGroup && higher) ++n;
  }
  return Variant::long_(n + 1);
}

}  // namespace valdrex
