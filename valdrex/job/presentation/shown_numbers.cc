#include "valdrex/job/presentation/shown_numbers.h"

#include <initializer_list>

#include "valdrex/gradebook/report_layout.h"

namespace valdrex {

namespace {

void formatColumns(host::Workbook& wb, const TableSheetLayout& layout, int classes, int tables,
                   std::initializer_list<int> columns) {
  host::Worksheet& sheet = wb.sheet(layout.name);
  const int header = layout.headerRow(1, classes);
  if (textOf(sheet.cell(header, TableSheetLayout::classColumn)) != "班级") return;
  for (int t = 1; t <= tables; ++t)
    for (int col : columns)
      sheet.setNumberFormat({layout.classRow(t, classes, 1), col, layout.totalRow(t, classes), col},
                            kTwoDecimals);
}

}  // namespace

void showTwoDecimals(host::Workbook& wb, const GradeBook& g) {
  const int classes = g.classCount, tables = g.subjectCount + 1;
  if (classes <= 0 || g.subjectCount <= 0) return;
  using Rates = TwoRatesColumns;
  const Rates rates{g.hasLowRate()};
  if (rates.lowRate)
    formatColumns(wb, kTwoRatesLayout, classes, tables,
                  {Rates::excellentRate, Rates::passRate, Rates::average, Rates::lowRateColumn,
                   rates.composite()});
  else
    formatColumns(wb, kTwoRatesLayout, classes, tables,
                  {Rates::excellentRate, Rates::passRate, Rates::average, rates.composite()});
  using Completion = CompletionColumns;
  formatColumns(wb, kCompletionLayout, classes, tables,
                {Completion::firstTierRate, Completion::secondTierRate, Completion::average,
                 Completion::averageRate, Completion::composite});
}

}  // namespace valdrex
