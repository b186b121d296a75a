// The sheets a statistics run needs by name, and finding the score sheet among them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// The sheet of the run's charts.
inline constexpr std::string_view kChartSheetName = "统计图表";

bool isReportSheet(std::string_view name);

// The sheet named `wanted`, or without a name the first sheet that is neither the property sheet,
// a report sheet nor "统计图表". nullptr when there is none.
host::MemorySheet* findScoreSheet(host::MemoryWorkbook& wb,
                                  const std::optional<std::string>& wanted);

// A report sheet's name that a chart or dialog sheet of the file holds (it has no cells to write
// into, and it is the teacher's to keep), or empty.
std::string reportNameWithoutCells(const host::MemoryWorkbook& wb);

// Adds every missing report sheet at the end, empty; returns the names added.
std::vector<std::string> addMissingReportSheets(host::MemoryWorkbook& wb);

// The report sheets holding at least one cell.
std::vector<std::string> filledReportSheets(host::MemoryWorkbook& wb);

// Why there is no score sheet (`wanted`, or found by findScoreSheet): absent, or a chart or
// dialog sheet; without advice, which is the front end's.
std::string scoreSheetMissing(host::MemoryWorkbook& wb, const std::optional<std::string>& wanted);
// Why there is no property sheet: absent, or a chart or dialog sheet; without advice.
std::string propertySheetMissing(const host::MemoryWorkbook& wb);

// "成绩表、属性表、…" for messages.
std::string sheetList(host::MemoryWorkbook& wb);

}  // namespace valdrex
