// The one-call statistics run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/levels.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// The message that closes a run that went through every step.
inline constexpr std::string_view kClosingMessage = "成绩统计操作完成!";

// A step of the run that did not complete: some statement of it failed and was skipped, so what
// it writes may be partial, empty or left from an earlier run.
struct SkippedStep {
  std::string step;     // what the step does, e.g. "写入“完成率表”"
  long statements = 0;  // statements skipped in it
  std::string failure;  // the last failure's message
};

// The report sheets a run writes only when asked (kAskedReportSheetNames); each must exist in
// the workbook when asked for.
struct AskedReports {
  bool segments = false;             // "一分一段表" for the total
  bool segmentsAllSubjects = false;  // ... and for every subject
  int32_t segmentStep = 10;          // its score steps, in tenths of a point
  bool nearLines = false;            // "临界生"
  double marginPercent = 5;          // its margin around a line, in percent of the full mark
  // "进退步" and "进退步汇总" against this earlier exam, loaded, totalled, ranked and counted.
  const GradeBook* earlier = nullptr;
  int progressStep = 20;  // moved up or down by at least this many grade ranks
  bool slips = false;     // "成绩条"
  // What every student list shows: a level beside each rank, and no rank nor an order by rank
  // (the lists by class and seat, no tier lists in "临界生"), so that the result may be handed
  // out.
  std::optional<LevelScheme> levels;
  bool noRanks = false;

  bool asks(std::string_view sheet) const {
    if (sheet == ReportSheets::slips) return slips;
    if (sheet == ReportSheets::progress || sheet == ReportSheets::progressSummary)
      return earlier != nullptr;
    if (sheet == ReportSheets::nearLines) return nearLines;
    if (sheet == ReportSheets::scoreSegments) return segments;
    return false;
  }
  bool any() const { return segments || nearLines || earlier || slips; }
};

// Loads, ranks and counts from scoreSheet and "属性表", writes every report sheet of wb that
// exists and those `asked`, finishes the ranking sheets and always shows the closing message.
// Every step that fails is skipped, and returned. Every rounding of the loading and the reports
// goes to trace.
std::vector<SkippedStep> compileReports(GradeBook& g, host::Workbook& wb,
                                        host::Worksheet& scoreSheet, host::Ui& ui,
                                        host::Clock& clock, const RoundingTrace& trace = {},
                                        const AskedReports& asked = {});

}  // namespace valdrex
