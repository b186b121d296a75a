#include "valdrex/reports/formatting.h"

#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"

namespace valdrex {

namespace {
int cellIndex(const Variant& v) { return toLong(numericValue(v)); }
}  // namespace

Variant addBorders(host::Worksheet& sh, const Variant& firstRow, const Variant& firstColumn,
                   const Variant& lastRow, const Variant& lastColumn) {
  // Every side of every cell, so that the inner grid is drawn as well as the outline.
  using host::BorderSide;
  for (BorderSide side :
       {BorderSide::Left, BorderSide::Right, BorderSide::Top, BorderSide::Bottom}) {
    host::Range block = host::between(cellIndex(firstRow), cellIndex(firstColumn),
                                      cellIndex(lastRow), cellIndex(lastColumn));
    sh.setBorder(block, side, host::LineStyle::Continuous);
  }
  return Variant();
}

void copySheet(host::Worksheet& from, host::Worksheet& to) {
  // Without a fresh copy the clipboard may still hold an older block: paste nothing then.
  if (attempt([&] { from.copy(from.usedRange()); })) attempt([&] { to.pasteSpecial(1, 1); });
}

}  // namespace valdrex
