// Everything the sheets of a workbook hold, one line a cell, to compare two workbooks whole.
#pragma once

#include <sstream>
#include <string>

#include "valdrex/host/memory_workbook.h"

namespace valdrex::testing {

// Number formats left out where a writer may add one (a date gets a date format).
inline std::string dump(const host::MemoryWorkbook& wb, bool numberFormats = true) {
  std::ostringstream out;
  out.precision(17);
  for (std::size_t i = 0; i < wb.sheetCount(); ++i) {
    const host::MemorySheet& sh = wb.sheetAt(i);
    out << "[" << sh.name() << (sh.visible() ? "]\n" : "] hidden\n");
    sh.forEachCell([&](int r, int c, const host::Cell& cell) {
      out << r << "," << c << " " << int(cell.value.kind()) << ":" << textOf(cell.value) << " ";
      if (cell.value.isNumeric()) out << cell.value.number() << " ";  // every digit
      out << cell.formula << " " << int(cell.format.borders) << int(cell.format.align)
          << int(cell.format.bold) << (numberFormats ? cell.format.numberFormat : "") << "\n";
    });
    for (const host::Range& m : sh.merges())
      out << "merge " << m.row1 << "," << m.col1 << ":" << m.row2 << "," << m.col2 << "\n";
  }
  return out.str();
}

}  // namespace valdrex::testing
