// Borders of a finished table and copying one report sheet onto another.
#pragma once

#include "valdrex/host/variant.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// A row or column number as the Long that addBorders and writeRank take.
inline Variant indexArgument(int n) { return Variant::long_(n); }

// Thin continuous lines on all four sides of every cell from (firstRow, firstColumn) to (lastRow,
// lastColumn). Returns Empty. Failures reach the caller.
Variant addBorders(host::Worksheet& sh, const Variant& firstRow, const Variant& firstColumn,
                   const Variant& lastRow, const Variant& lastColumn);

// Pastes the used range of `from`, values and formats, with its top-left at A1 of `to`. Ignores
// every failure: when the copy fails nothing is pasted. `to` is not cleared first.
void copySheet(host::Worksheet& from, host::Worksheet& to);

}  // namespace valdrex
