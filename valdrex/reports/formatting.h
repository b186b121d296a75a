// Borders of a finished table and copying one report sheet onto another.
#pragma once

#include "valdrex/host/variant.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// A row or column number as the Long that 加边框 and 排名 take.
inline Variant indexArgument(int n) { return Variant::long_(n); }

// Thin continuous lines on all four sides of every cell from (x1, y1) to (x2, y2). Returns Empty.
// Failures reach the caller.
Variant 加边框(host::Worksheet& sh, const Variant& x1, const Variant& y1, const Variant& x2,
               const Variant& y2);

// Pastes sh1's used range, values and formats, with its top-left at A1 of sh2. Ignores every
// failure: when the copy fails nothing is pasted. sh2 is not cleared first.
void 复制工作表(host::Worksheet& sh1, host::Worksheet& sh2);

}  // namespace valdrex
