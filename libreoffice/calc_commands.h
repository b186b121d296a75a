// The menu's commands on a document open in LibreOffice Calc. Each works on the document itself:
// what a command changes is one undo action, and a refused command changes nothing.
#pragma once

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <string>
#include <vector>

#include "valdrex/job/workbook_job.h"

namespace valdrex::calc {

// The library's advice in the menu's words.
std::string adviceWords(Advice advice);
// "成绩表!D7：…" with its advice.
std::string findingLine(const Finding& finding);
// The outcome's problem with its advice.
std::string problemLine(const JobOutcome& outcome);

using Document = css::uno::Reference<css::sheet::XSpreadsheetDocument>;
using Context = css::uno::Reference<css::uno::XComponentContext>;

// Seconds a run took: the statistics with the report sheets, and the charts after them.
struct RunTimings {
  double statistics = 0, pages = 0, charts = 0;  // the report sheets' pages apart
};

// 统计: the score sheet (the first sheet that is neither "属性表" nor a report sheet) is checked
// and, unless its statistics cannot be right, the statistics run on the document: missing report
// sheets are added and every report sheet written. The messages and the two target questions go
// through `dialogs`; outcome().problem says why a run was refused. Calc then draws the charts on
// "统计图表". One Undo takes the run back.
// The sheets a run writes only when asked: those of `asked`, and with `earlier` (the path of the
// earlier exam's workbook) "进退步" and "进退步汇总".
struct AskedRun {
  AskedReports asked;
  std::optional<std::string> earlier;
};

JobOutcome runStatistics(const Context& context, const Document& doc, JobDialogs& dialogs,
                         host::Clock& clock, RunTimings& timings, const AskedRun& asked = {});

// 检查: what the check finds in the document; nothing is changed.
JobOutcome checkDocument(const Document& doc);

// 列出班级: the score sheet's classes written into "属性表" from row 18, teacher rows kept with
// their class. `lines` tell the teacher what was done, or why not.
struct ClassesResult {
  bool changed = false;
  std::vector<std::string> lines;
};
ClassesResult listClassesInDocument(const Document& doc);

}  // namespace valdrex::calc
