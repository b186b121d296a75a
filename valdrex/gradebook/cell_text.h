// What the grade book reads from a sheet: the text of a cell, the way every cell test compares it.
#pragma once

#include <string>

#include "valdrex/host/variant.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

inline std::string cellText(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col));
}

}  // namespace valdrex
