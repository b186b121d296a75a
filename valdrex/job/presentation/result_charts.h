// The charts of a run's result on the sheet "统计图表": class by class, the averages, the two
// rates, the score and rank bands and the completion rates. Every series refers to the cells of
// the report sheets the run wrote, so a chart follows later edits of those cells.
#pragma once

#include <string_view>
#include <vector>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/session/workbook_sheets.h"

namespace valdrex {

// The charts of the report sheets of a run over `classes` classes and `subjects` subjects,
// placed two side by side, two rows of them to a printed A4 landscape page. A chart whose table
// is not where the run writes it (e.g. a band sheet stopped by a header it cannot read) is left
// out. With `progress`, the run wrote "进退步汇总" too: its counts of students moved up and down
// are charted last.
std::vector<host::Chart> resultCharts(const host::MemoryWorkbook& wb, int classes, int subjects,
                                      bool progress = false);

// Puts resultCharts() on "统计图表", added at the end when missing; its cells are cleared and its
// earlier charts replaced; its page header dated `date`. Returns the number of charts.
int writeChartSheet(host::MemoryWorkbook& wb, int classes, int subjects, bool progress = false,
                    std::string_view date = "");

}  // namespace valdrex
