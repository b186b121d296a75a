#include "valdrex/run/statistics_run.h"

#include "valdrex/bands/completion_rates.h"
#include "valdrex/bands/near_lines.h"
#include "valdrex/bands/progress_sheets.h"
#include "valdrex/bands/rank_bands.h"
#include "valdrex/bands/score_bands.h"
#include "valdrex/bands/score_segments.h"
#include "valdrex/bands/slips.h"
#include "valdrex/gradebook/class_statistics.h"
#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/limits_message.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/gradebook/subject_ranking.h"
#include "valdrex/host/failure.h"
#include "valdrex/reports/class_tables.h"
#include "valdrex/reports/formatting.h"
#include "valdrex/reports/two_rates.h"
#include "valdrex/run/ranking_sheets.h"

namespace valdrex {

namespace {

// The property sheet, or nullptr: the load then stops with its limits message.
host::Worksheet* propertySheet(host::Workbook& wb) {
  host::Worksheet* sx = nullptr;
  attempt([&] { sx = &wb.sheet(PropertySheetLayout::name); });
  return sx;
}

void deleteUsedRange(host::Worksheet& sh) { sh.deleteCells(sh.usedRange()); }

constexpr RankingSheet kSortOrder[] = {RankingSheet::ClassPlain, RankingSheet::GradePlain,
                                       RankingSheet::ClassDetailed, RankingSheet::GradeDetailed};
constexpr RankingSheet kTitleOrder[] = {RankingSheet::ClassPlain, RankingSheet::ClassDetailed,
                                        RankingSheet::GradePlain, RankingSheet::GradeDetailed};

}  // namespace

std::vector<SkippedStep> compileReports(GradeBook& g, host::Workbook& wb,
                                        host::Worksheet& scoreSheet, host::Ui& ui,
                                        host::Clock& clock, const RoundingTrace& trace,
                                        const AskedReports& asked) {
  // Every step is one statement: a failing one, or one whose sheet is missing, is skipped and
  // the run goes on with the next. Steps that write cell by cell skip their failing cells
  // themselves; the count of swallowed failures tells those apart too.
  std::vector<SkippedStep> skipped;
  auto step = [&](std::string what, auto&& statement) {
    const SwallowedFailures& swallowed = swallowedFailures();
    const long before = swallowed.count;
    attempt(statement);
    if (swallowed.count > before)
      skipped.push_back({std::move(what), swallowed.count - before, swallowed.last});
  };
  auto quoted = [](std::string_view verb, std::string_view sheet, std::string_view rest = {}) {
    return std::string(verb) + "“" + std::string(sheet) + "”" + std::string(rest);
  };
  using RS = ReportSheets;
  std::optional<CompletionTargets> targets;  // the tiers of "临界生"

  step("初始化", [&] { findLayout(g, scoreSheet, ui); });
  step("载入班级", [&] { loadClasses(g, scoreSheet, ui); });
  step("载入成绩", [&] { loadScores(g, scoreSheet, propertySheet(wb), ui, trace); });
  step("求总分", [&] { sumTotals(g); });
  step("各科排名", [&] { rankSubjects(g); });
  StudentLevels levels;
  if (asked.levels) step("评定等级", [&] { levels = StudentLevels(g, *asked.levels); });
  const RankShown shown{asked.levels ? &levels : nullptr, asked.noRanks};

  step(quoted("清空", RS::output), [&] { deleteUsedRange(wb.sheet(RS::output)); });
  step(quoted("写入", RS::output),
       [&] { writeClassTables(g, wb.sheet(RS::output), false, shown); });
  step(quoted("清空", RS::classDetailed), [&] { deleteUsedRange(wb.sheet(RS::classDetailed)); });
  step(quoted("写入", RS::classDetailed),
       [&] { writeClassTables(g, wb.sheet(RS::classDetailed), true, shown); });

  for (std::string_view copy : {RS::classPlain, RS::gradePlain, RS::gradeDetailed})
    step(quoted("清空", copy), [&] { deleteUsedRange(wb.sheet(copy)); });
  // The detailed copy is taken before "各班详细排名" is finished: both start from one table.
  step(quoted("复制到", RS::classPlain),
       [&] { copySheet(wb.sheet(RS::output), wb.sheet(RS::classPlain)); });
  step(quoted("复制到", RS::gradePlain),
       [&] { copySheet(wb.sheet(RS::output), wb.sheet(RS::gradePlain)); });
  step(quoted("复制到", RS::gradeDetailed),
       [&] { copySheet(wb.sheet(RS::classDetailed), wb.sheet(RS::gradeDetailed)); });

  step("各班统计", [&] { countClassResults(g, wb.sheet(PropertySheetLayout::name)); });
  step(quoted("写入", RS::twoRates),
       [&] { writeTwoRates(g, wb, wb.sheet(RS::twoRates), clock, trace); });
  step(quoted("写入", RS::completionRates),
       [&] { targets = writeCompletionRates(g, wb.sheet(RS::completionRates), ui, clock, trace); });
  step(quoted("写入", RS::scoreBands),
       [&] { writeScoreBands(g, wb.sheet(RS::scoreBands), ui, clock); });
  step(quoted("写入", RS::rankBands),
       [&] { writeRankBands(g, wb.sheet(RS::rankBands), ui, clock); });

  for (RankingSheet kind : kSortOrder)
    step(quoted("排序", rankingSheetName(kind)),
         [&] { sortRankingSheet(g, wb.sheet(rankingSheetName(kind)), kind, shown); });
  for (RankingSheet kind : kTitleOrder)
    step(quoted("写入", rankingSheetName(kind), "的标题"),
         [&] { titleRankingSheet(g, wb.sheet(rankingSheetName(kind)), kind, clock, shown); });

  if (asked.earlier) {
    step(quoted("写入", RS::progress), [&] {
      writeProgress(g, *asked.earlier, wb.sheet(RS::progress), clock, asked.noRanks,
                    asked.levels ? &*asked.levels : nullptr);
    });
    step(quoted("写入", RS::progressSummary), [&] {
      writeProgressSummary(g, *asked.earlier, wb.sheet(RS::progressSummary), asked.progressStep,
                           clock);
    });
  }
  if (asked.nearLines)
    step(quoted("写入", RS::nearLines), [&] {
      // The tiers are the grade's best by rank: a list of them would tell ranks.
      const std::optional<CompletionTargets> tiers = asked.noRanks ? std::nullopt : targets;
      writeNearLines(g, wb.sheet(RS::nearLines), nearLists(g, tiers, asked.marginPercent),
                     asked.marginPercent, clock);
    });
  if (asked.segments)
    step(quoted("写入", RS::scoreSegments), [&] {
      writeScoreSegments(g, wb.sheet(RS::scoreSegments), asked.segmentStep,
                         asked.segmentsAllSubjects, clock, asked.noRanks);
    });

  if (asked.slips)
    step(quoted("写入", RS::slips), [&] {
      std::optional<StudentLevels> before;
      if (asked.levels && asked.earlier) before.emplace(*asked.earlier, *asked.levels);
      writeSlips(g, wb.sheet(RS::slips),
                 {shown.levels, asked.noRanks, asked.earlier, before ? &*before : nullptr});
    });

  // The closing message is a statement of the run too: a host that cannot show it fails no step.
  step("完成提示", [&] {
    ui.messageBox(std::string(kClosingMessage), host::MessageStyle::information, messageTitle());
  });
  return skipped;
}

}  // namespace valdrex
