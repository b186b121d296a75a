#include "valdrex/reports/formatting.h"

#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"

namespace valdrex {

namespace {
int cellIndex(const Variant& v) { return toLong(numericValue(v)); }
}  // namespace

Variant 加边框(host::Worksheet& sh, const Variant& x1, const Variant& y1, const Variant& x2,
               const Variant& y2) {
  // Every side of every cell, so that the inner grid is drawn as well as the outline.
  using host::BorderSide;
  for (BorderSide side :
       {BorderSide::Left, BorderSide::Right, BorderSide::Top, BorderSide::Bottom}) {
    host::Range block = host::between(cellIndex(x1), cellIndex(y1), cellIndex(x2), cellIndex(y2));
    sh.setBorder(block, side, host::LineStyle::Continuous);
  }
  return Variant();
}

void 复制工作表(host::Worksheet& sh1, host::Worksheet& sh2) {
  // Without a fresh copy the clipboard may still hold an older block: paste nothing then.
  if (attempt([&] { sh1.copy(sh1.usedRange()); })) attempt([&] { sh2.pasteSpecial(1, 1); });
}

}  // namespace valdrex
