// What the grade book reads from a sheet: the text of a cell, the way every cell test compares it.
#pragma once

#include <string>

#include "valdrex/host/number_text.h"
#include "valdrex/host/variant.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

inline std::string cellText(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col));
}

// A number cell of "属性表" as it is read: a text typed in full-width reads as its half-width
// form, so "１００" is the full mark 100.
inline Variant halfWidthNumberCell(const Variant& v) {
  return v.isText() ? Variant::text(halfWidthNumberText(v.text())) : v;
}

}  // namespace valdrex
