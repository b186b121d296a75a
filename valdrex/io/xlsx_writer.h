// Writing the in-memory workbook to an .xlsx or .xlsm file.
#pragma once

#include <string>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/io/io_error.h"

namespace valdrex::io {

// Every sheet in order with its values, formulas (with their cached results), merges, borders,
// alignment, number formats, row formats, column widths, hidden state and the active sheet; the
// print layout, bold header cells and charts of sheets Valdrex made; the
// macro project of a workbook read from an .xlsm is carried over, and such a workbook must then
// be written to a name ending in .xlsm. Dates are written in the 1900 date system.
// The file is replaced in one step: on any failure a FileError names the file and the problem,
// and whatever was at `path` before is left as it was. Before it replaces anything, the package
// must read back (package_check.h): else WrittenPackageFault, and nothing is written.
// `markAsResult`: the file is a statistics result that a later save may replace without a backup
// as long as nobody changed it (written_mark.h).
void writeWorkbook(const host::MemoryWorkbook& book, const std::string& path,
                   bool markAsResult = false);
// The package writeWorkbook would write, checked the same way, as bytes; `name` stands for the
// file in messages and decides, by its extension, whether the macro project may be kept.
std::string workbookBytes(const host::MemoryWorkbook& book, const std::string& name,
                          bool markAsResult = false);

}  // namespace valdrex::io
