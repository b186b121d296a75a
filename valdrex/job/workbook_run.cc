#include "valdrex/job/workbook_run.h"

#include "valdrex/automation/valdrex_cls.h"
#include "valdrex/job/workbook_sheets.h"

namespace valdrex {

RunCounts runStatistics(host::MemoryWorkbook& wb, host::Worksheet& scoreSheet,
                        host::Application& app) {
  ValdrexCls vd(app);
  vd.输出(&app, wb, scoreSheet);
  RunCounts counts;
  counts.classes = vd.班级数();
  counts.students = vd.总人数();
  counts.subjects = vd.km();
  counts.reportSheets = filledReportSheets(wb);
  return counts;
}

}  // namespace valdrex
