// How a sheet Valdrex made is shown and printed, and the charts it holds. A sheet read from a file
// keeps its own settings and drawings; a report sheet a run wrote into gets its row breaks, and
// a header and page setup where it has none of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "valdrex/host/worksheet.h"

namespace valdrex::host {

// Margins of a printed page in inches, the header's and the footer's from the paper's edge.
struct PageMargins {
  double left = 0.5, right = 0.5, top = 0.75, bottom = 0.75, header = 0.3, footer = 0.3;
  friend bool operator==(const PageMargins&, const PageMargins&) = default;
};

struct PrintLayout {
  bool landscape = false;
  bool fitToPageWidth = false;  // scaled to one page wide, as many pages tall as it takes
  int repeatFirstRow = 0;       // rows printed at the top of every page; 0: none
  int repeatLastRow = 0;
  int frozenRows = 0;          // panes frozen below these rows ...
  int frozenColumns = 0;       // ... and right of these columns
  std::vector<int> rowBreaks;  // a new page starts at each of these rows, ascending
  // The percent that makes it one page wide, written instead of fitting: each program measures
  // fonts its own way, and the row breaks hold only at a scale every program prints alike. 0: the
  // program fits it (fitToPageWidth) or prints at its natural size.
  int scale = 0;
  PageMargins margins;
  // The page header: the title in the centre and the run's date on the right, and the footer
  // "第 N 页，共 M 页"; none when the title is empty.
  std::string headerTitle;
  std::string headerDate;
  // A sheet read from a file: its views, widths and print titles stay, and so do its page setup,
  // margins and fit when it has a page setup of its own. Its row breaks are the layout's, and so
  // is its header when the layout has one.
  bool keepsOwnPage = false;
  // With keepsOwnPage: its page setup and margins are Valdrex's, written before its tables were,
  // and are written anew from the layout.
  bool rewritesValdrexPage = false;
  friend bool operator==(const PrintLayout&, const PrintLayout&) = default;
};

// The page settings a sheet read from a file has of its own: where its rows break depends on them.
struct PageAsRead {
  bool pageSetup = false;  // orientation, fit and scale as read when true, the defaults when not
  bool landscape = false;
  bool fitToPageWidth = false;
  int scale = 100;
  bool hasMargins = false;  // the margins as read when true
  PageMargins margins;
  bool ownHeader = false;  // a header or footer not Valdrex's
  // Valdrex's header and footer, which an earlier run or a new workbook wrote with the page: the
  // page setup is Valdrex's too, and laid out anew.
  bool valdrexHeader = false;
  friend bool operator==(const PageAsRead&, const PageAsRead&) = default;
};

enum class ChartKind { clusteredColumns, stackedColumns };

// Series that are steps of one scale (score or rank bands) take shades of one hue, which also
// read in grey, in the order of the series; others take distinct colours.
enum class SeriesColours { distinct, lightToDark, darkToLight };

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
  // The values are percentages (33.33 for 33.33 %): the value axis shows a % sign. Every value
  // axis starts at 0, so that bars compare by their length.
  bool percentValues = false;
  std::vector<ChartSeries> series;
  Range anchor;  // the cells it covers, corners included
  SeriesColours colours = SeriesColours::distinct;
  friend bool operator==(const Chart&, const Chart&) = default;
};

// The colour of series `i` of `chart` as 0xRRGGBB, for every writer and host alike: twelve
// distinct colours before any repeats, or for a scale's steps a ramp between light and dark blue.
inline std::uint32_t seriesColour(const Chart& chart, std::size_t i) {
  constexpr std::uint32_t kDistinct[] = {0x4472C4, 0xED7D31, 0xA5A5A5, 0xFFC000,
                                         0x5B9BD5, 0x70AD47, 0x264478, 0x9E480E,
                                         0x636363, 0x997300, 0x7030A0, 0x43682B};
  if (chart.colours == SeriesColours::distinct || chart.series.size() < 2)
    return kDistinct[i % std::size(kDistinct)];
  constexpr std::uint32_t kLight = 0xC6DBEF, kDark = 0x08306B;
  const std::size_t last = chart.series.size() - 1;
  const std::size_t step = chart.colours == SeriesColours::lightToDark ? i : last - i;
  const double t = static_cast<double>(step) / static_cast<double>(last);
  std::uint32_t colour = 0;
  for (int shift : {16, 8, 0}) {
    const double from = (kLight >> shift) & 0xFF, to = (kDark >> shift) & 0xFF;
    colour |= static_cast<std::uint32_t>(from + (to - from) * t + 0.5) << shift;
  }
  return colour;
}

}  // namespace valdrex::host
