// One worksheet part streamed into a sheet of the in-memory workbook.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/io/read_limits.h"
#include "valdrex/io/style_sheet.h"
#include "valdrex/io/zip_archive.h"

namespace valdrex::io {

// What every sheet of one workbook shares while it is read.
struct SheetContext {
  const std::vector<host::SharedText>& sharedStrings;
  const StyleSheet& styles;
  bool date1904 = false;
  const ReadLimits& limits;
  Allowance& text;               // bytes of texts and formulas still to be kept
  Allowance& elements;           // XML elements still to be parsed
  std::size_t cells = 0;         // kept so far, over all sheets
  std::size_t merges = 0;        // likewise
  int lastRow = host::kMaxRows;  // reading a sheet stops at its first row beyond this
};

// What the sheet's model lacks of its part.
struct SheetExtent {
  // The first cell (row, column) holding something beyond ReadLimits::keptColumns (a value, a
  // formula or a format), or the first row beyond keptRows (column 0), where reading stopped.
  std::optional<std::pair<int, int>> unkept;
  bool rowsLeftOut = false;  // the rows below keptRows
  uint64_t partBytes = 0;    // inflated, as far as it was read
};

// Values, formulas, formats, merges and column widths of the part (up to context.lastRow: then
// only the cells above it). Anything malformed is a FormatProblem that names the sheet.
SheetExtent readSheet(ZipArchive& zip, const std::string& part, host::MemorySheet& sheet,
                      SheetContext& context);

}  // namespace valdrex::io
