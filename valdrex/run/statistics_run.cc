#include "valdrex/run/statistics_run.h"

#include "valdrex/bands/completion_rates.h"
#include "valdrex/bands/rank_bands.h"
#include "valdrex/bands/score_bands.h"
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

void 输出(GradeBook& g, host::Workbook& wb, host::Worksheet& sh1, host::Ui& ui,
          host::Clock& clock) {
  // Every step is one statement: a failing one, or one whose sheet is missing, is skipped and
  // the run goes on with the next.
  attempt([&] { 初始化(g, sh1, ui); });
  attempt([&] { 载入班级(g, sh1, ui); });
  attempt([&] { 载入成绩(g, sh1, propertySheet(wb), ui); });
  attempt([&] { 求和(g); });
  attempt([&] { 各科排名(g); });

  attempt([&] { deleteUsedRange(wb.sheet(ReportSheets::output)); });
  attempt([&] { 各班成绩表(g, wb.sheet(ReportSheets::output), false); });
  attempt([&] { deleteUsedRange(wb.sheet(ReportSheets::classDetailed)); });
  attempt([&] { 各班成绩表(g, wb.sheet(ReportSheets::classDetailed), true); });

  attempt([&] { deleteUsedRange(wb.sheet(ReportSheets::classPlain)); });
  attempt([&] { deleteUsedRange(wb.sheet(ReportSheets::gradePlain)); });
  attempt([&] { deleteUsedRange(wb.sheet(ReportSheets::gradeDetailed)); });
  // The detailed copy is taken before "各班详细排名" is finished: both start from one table.
  attempt([&] { 复制工作表(wb.sheet(ReportSheets::output), wb.sheet(ReportSheets::classPlain)); });
  attempt([&] { 复制工作表(wb.sheet(ReportSheets::output), wb.sheet(ReportSheets::gradePlain)); });
  attempt([&] {
    复制工作表(wb.sheet(ReportSheets::classDetailed), wb.sheet(ReportSheets::gradeDetailed));
  });

  attempt([&] { 统计(g, wb.sheet(PropertySheetLayout::name)); });
  attempt([&] { 两率一分(g, wb, wb.sheet(ReportSheets::twoRates), clock); });
  attempt([&] { 完成率统计(g, wb.sheet(ReportSheets::completionRates), ui, clock); });
  attempt([&] { 分段统计(g, wb.sheet(ReportSheets::scoreBands), ui, clock); });
  attempt([&] { 名次分段统计(g, wb.sheet(ReportSheets::rankBands), ui, clock); });

  for (RankingSheet kind : kSortOrder)
    attempt([&] { sortRankingSheet(g, wb.sheet(rankingSheetName(kind)), kind); });
  for (RankingSheet kind : kTitleOrder)
    attempt([&] { titleRankingSheet(g, wb.sheet(rankingSheetName(kind)), kind, clock); });

  // The closing message is a statement of the run too: a host that cannot show it fails no step.
  attempt([&] {
    ui.messageBox(std::string(kClosingMessage), host::MessageStyle::information, messageTitle());
  });
}

}  // namespace valdrex
