// One worksheet part streamed into a sheet of the in-memory workbook.
#pragma once

#include <string>
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
  std::size_t cells = 0;         // kept so far, over all sheets
  std::size_t merges = 0;        // likewise
  int lastRow = host::kMaxRows;  // reading a sheet stops at its first row beyond this
};

// Values, formulas, formats, merges and column widths of the part (up to context.lastRow: then
// only the cells above it). Anything malformed is a FormatProblem that names the sheet.
void readSheet(ZipArchive& zip, const std::string& part, host::MemorySheet& sheet,
               SheetContext& context);

}  // namespace valdrex::io
