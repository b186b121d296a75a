// Reading an .xlsx or .xlsm file into the in-memory workbook.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/io/io_error.h"
#include "valdrex/io/read_limits.h"

namespace valdrex::io {

// The workbook in the file: sheets in order with their names, values, formulas, formats, merges
// and column widths; the 1904 date system flag and the macro project kept for writing it back.
// Its path is the file's absolute path and save() writes it back there (atomically).
// Any problem (no such file, not a workbook, a damaged or hostile file) is one FileError naming
// the file and the problem; nothing is returned half-read.
std::unique_ptr<host::MemoryWorkbook> readWorkbook(const std::string& path,
                                                   const ReadLimits& limits = {});

// Only the top of each sheet: the cells of its first rowsOf(name) rows (0: none), reading each
// sheet no further; for a quick look at a few cells of a large file. The workbook has no saver.
std::unique_ptr<host::MemoryWorkbook> readWorkbookTop(
    const std::string& path, const std::function<int(const std::string& sheet)>& rowsOf,
    const ReadLimits& limits = {});

// The same as readWorkbook from bytes in memory; `name` only appears in messages. The workbook has
// no path and no saver.
std::unique_ptr<host::MemoryWorkbook> readWorkbookFromMemory(std::string_view bytes,
                                                             const std::string& name,
                                                             const ReadLimits& limits = {});

// The workbook's structure from bytes in memory — its parts, relationships, sheets, styles and
// shared strings — without reading any sheet's cells; failures as readWorkbook's.
std::unique_ptr<host::MemoryWorkbook> readWorkbookStructure(std::string_view bytes,
                                                            const std::string& name,
                                                            const ReadLimits& limits = {});

}  // namespace valdrex::io
