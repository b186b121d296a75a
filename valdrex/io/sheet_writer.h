// The XML of one worksheet part, written from a sheet of the in-memory workbook.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/io/part_buffer.h"
#include "valdrex/io/style_sheet.h"

namespace valdrex::io {

// The worksheet part a new sheet starts from: default view and margins, no cells.
std::string freshSheetXml(bool selected);

// A worksheet or chart sheet part whose first view is the selected tab, or no view is; nullopt
// when it already is so. Only the part's head (up to its cells) is parsed.
std::optional<std::string> withTabSelected(const std::string& part, const std::string& xml,
                                           bool selected);

class SheetWriter {
 public:
  SheetWriter(StyleSheet& styles, bool date1904) : styles_(styles), date1904_(date1904) {}

  // The sheet's part, appended to `out`: `original` (the part as it was in the file, or
  // freshSheetXml()) with its cells, merges and used-range note replaced by the sheet's. Everything
  // else of the original stays as it was, byte for byte: sheet properties, views, default formats,
  // page setup, margins, header and footer, breaks, protection, drawings, tables, row heights.
  // Conditional formats, validations and hyperlinks stay unless they lay in a block the sheet
  // removed. The column widths are the original's unless the sheet's widths differ from
  // `widthsAsRead`. A sheet with a print layout gets its fit to width or scale, view panes, margins
  // and page setup instead of the original's, and its header and footer when the layout has one,
  // and its row breaks; one that keeps its own page (PrintLayout::keepsOwnPage) keeps its views,
  // and its page setup, margins and fit when the original has them (unless they are Valdrex's to
  // rewrite). A sheet whose charts
  // were set loses the original's drawing; `drawingId` names the relationship of the drawing that
  // replaces it ("": none). `tabSelected` makes the first view the selected tab (true) or no view
  // (false); nullopt leaves the views as they were. Malformed original XML is a FormatProblem
  // naming `part`.
  void write(const host::MemorySheet& sheet, const std::string& part, std::string_view original,
             const std::map<int, double>& widthsAsRead, std::string_view drawingId,
             std::optional<bool> tabSelected, PartBuffer& out);

  // Whether a sheet written so far holds a formula, or held one before.
  bool formulas() const { return formulas_; }

 private:
  void sheetData(PartBuffer& out, const host::MemorySheet& sheet,
                 const std::map<int, std::string>& rowAttributes);
  void cell(PartBuffer& out, int row, int col, const host::Cell& cell);
  uint32_t styleOf(const host::CellFormat& format, bool date);

  StyleSheet& styles_;
  bool date1904_;
  bool formulas_ = false;
};

}  // namespace valdrex::io
