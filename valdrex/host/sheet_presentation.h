// How a sheet Valdrex made is shown and printed, and the charts it holds. A sheet read from a file
// has neither: the file's own settings and drawings are kept as they were.
#pragma once

#include <string>
#include <vector>

#include "valdrex/host/worksheet.h"

namespace valdrex::host {

struct PrintLayout {
  bool landscape = false;
  bool fitToPageWidth = false;  // scaled to one page wide, as many pages tall as it takes
  int repeatFirstRow = 0;       // rows printed at the top of every page; 0: none
  int repeatLastRow = 0;
  int frozenRows = 0;     // panes frozen below these rows ...
  int frozenColumns = 0;  // ... and right of these columns
  friend bool operator==(const PrintLayout&, const PrintLayout&) = default;
};

enum class ChartKind { clusteredColumns, stackedColumns };

// A reference into a sheet of the same workbook: a cell or a block.
struct SheetRange {
  std::string sheet;
  Range range;
  friend bool operator==(const SheetRange&, const SheetRange&) = default;
};

struct ChartSeries {
  SheetRange name;        // the cell holding the series' name
  SheetRange categories;  // one column or row of labels (the classes)
  SheetRange values;      // as many numbers as labels
  friend bool operator==(const ChartSeries&, const ChartSeries&) = default;
};

// A native chart whose data stay in the cells it refers to, so that it follows later edits.
struct Chart {
  ChartKind kind = ChartKind::clusteredColumns;
  std::string title;
  std::string categoryAxisTitle;
  std::string valueAxisTitle;
  // The values are percentages (33.33 for 33.33 %): the value axis starts at 0 and shows a % sign.
  bool percentValues = false;
  std::vector<ChartSeries> series;
  Range anchor;  // the cells it covers, corners included
  friend bool operator==(const Chart&, const Chart&) = default;
};

}  // namespace valdrex::host
