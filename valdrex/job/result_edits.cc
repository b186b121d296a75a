#include "valdrex/job/result_edits.h"

#include <algorithm>

#include "valdrex/job/cell_name.h"
#include "valdrex/job/workbook_sheets.h"

namespace valdrex {

namespace {

const host::MemorySheet* sheetOf(const host::MemoryWorkbook& wb, std::string_view name) {
  for (std::size_t i = 0; i < wb.sheetCount(); ++i)
    if (wb.sheetAt(i).name() == name) return &wb.sheetAt(i);
  return nullptr;
}

std::string valueAt(const host::MemorySheet& sh, int row, int col) {
  const host::Cell* cell = sh.find(row, col);
  return cell ? textOf(cell->value) : std::string();
}

bool isDate(const host::MemorySheet& sh, int row, int col) {
  const host::Cell* cell = sh.find(row, col);
  return cell && cell->value.kind() == VarKind::Date;
}

void compareRow(const host::MemorySheet& earlier, const host::MemorySheet& now, int row,
                int firstCol, std::vector<CellEdit>& edits) {
  const int lastCol = std::max(earlier.usedRange().col2, now.usedRange().col2);
  for (int col = firstCol; col <= lastCol; ++col) {
    // The date of the title row changes with every run.
    if (isDate(earlier, row, col) || isDate(now, row, col)) continue;
    std::string before = valueAt(earlier, row, col), after = valueAt(now, row, col);
    if (before != after)
      edits.push_back({sheetCellName(now.name(), row, col), std::move(before), std::move(after)});
  }
}

}  // namespace

std::vector<CellEdit> editedResultCells(const host::MemoryWorkbook& earlier,
                                        const host::MemoryWorkbook& now, int classes,
                                        int subjects) {
  std::vector<CellEdit> edits;
  for (std::string_view name : kReportSheetNames) {
    const host::MemorySheet* before = sheetOf(earlier, name);
    const host::MemorySheet* after = sheetOf(now, name);
    if (!before || !after) continue;
    compareRow(*before, *after, 1, 1, edits);
    // One table per subject and the total, each under its header row.
    const BandSheetLayout* bands = name == kScoreBandLayout.name  ? &kScoreBandLayout
                                   : name == kRankBandLayout.name ? &kRankBandLayout
                                                                  : nullptr;
    if (!bands) continue;
    for (int j = 0; j <= subjects; ++j) {
      const int header = BandSheetLayout::firstHeaderRow + j * (classes + bands->gap);
      // Where the earlier result has no header row here, it was made from another list of
      // classes: its tables lie elsewhere, and nothing of this one was edited.
      if (valueAt(*before, header, 1) != valueAt(*after, header, 1)) continue;
      compareRow(*before, *after, header - 1, 1, edits);  // the subject's name above it
      compareRow(*before, *after, header, BandSheetLayout::firstBandColumn, edits);
    }
  }
  return edits;
}

}  // namespace valdrex
