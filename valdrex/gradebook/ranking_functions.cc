#include "valdrex/gradebook/ranking_functions.h"

#include "valdrex/host/arithmetic.h"

namespace valdrex {

namespace {

// A row or column number passed as a Variant.
int32_t place(const Variant& v) { return toLong(numericValue(v)); }

}  // namespace

Variant 排名(const Variant& a, const Variant& b, const Variant& c, const Variant& d,
             const Variant& e, host::Worksheet& f) {
  int32_t row = place(a), first = place(b), last = place(c), col = place(d);
  int32_t n = 0;
  if (first <= last) {
    Variant own = f.cell(row, col);
    for (int32_t i = first; i <= last; ++i)
      if (compareValues(own, f.cell(i, col)) < 0) ++n;
  }
  f.setCell(row, place(e), Variant::number(n + 1.0));
  return Variant();
}

Variant 新排名(const Variant& b, const Variant& c, const Variant& d, const std::string& f,
               host::Workbook& activeWorkbook) {
  int32_t group = place(b), col = place(c), row = place(d);
  // The sheet is looked up again for every read, as the macros expect of a sheet named by text.
  auto cell = [&](int32_t r, int32_t k) { return activeWorkbook.sheet(f).cell(r, k); };
  int32_t n = 0;
  for (int32_t i = 3; !textOf(cell(i, col)).empty(); ++i) {
    // Both comparisons are made, so a value that cannot be compared fails even in another group.
    bool sameGroup = compareValues(cell(i, group), cell(row, group)) == 0;
    bool higher = compareValues(cell(row, col), cell(i, col)) < 0;
    if (sameGroup && higher) ++n;
  }
  return Variant::long_(n + 1);
}

}  // namespace valdrex
