// A spreadsheet document open in the office, as a job sees it: its values copied at once into a
// workbook in memory, on which the job runs; what a run changed written back in blocks, a few
// calls a sheet; the cells of a class listing held back and written as rectangles.
#pragma once

#include <chrono>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/session/live_workbook.h"

namespace valdrex::calc {

class CalcWorkbook;

class CalcSheet final {
 public:
  CalcSheet(CalcWorkbook& book, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
            std::string name);
  ~CalcSheet();

  const std::string& name() const { return name_; }
  // The value of a cell (1-based), as a cell of the job's copy holds it.
  Variant cell(int row, int col) const;
  // The smallest block holding every cell with a value or a formula; A1 for an empty sheet.
  host::Range usedRange() const;
  // A value exactly as the cell is to store it (no typed-input rule), held back until flush().
  void putValue(int row, int col, const Variant& stored);
  // Writes the cells held back, as rectangles.
  void flush();
  // The blocks as they come: a call or two each.
  void writeBlocks(const SheetBlocks& blocks);
  void activate();
  void selectCell(int row, int col);
  void setVisible(bool visible);
  // Every cell with a value, as the sheet holds them now.
  void copyValuesTo(host::MemorySheet& copy);
  // The page and the column widths, which the sheet's row breaks depend on.
  void copyPageTo(host::MemorySheet& copy);
  void setPrintLayout(const host::PrintLayout& layout);
  void setColumnWidths(const std::map<int, double>& widths);

 private:
  struct Loaded {
    host::Range area;
    std::vector<Variant> values;  // row by row
  };
  const Loaded& loaded() const;
  css::uno::Reference<css::table::XCellRange> range(const host::Range& block) const;
  host::Range clamped(host::Range block) const;
  host::Range writtenRange() const;  // the used area without the cells held back
  void changed();                    // values are read again when asked
  void fixRowHeights();
  struct KeptFormula {
    int row, col;
    rtl::OUString formula;
  };
  std::vector<KeptFormula> formulasLeftAlone(const SheetBlocks& blocks) const;
  void applyBorder(const host::Range& block, uint8_t edges);

  CalcWorkbook& book_;
  css::uno::Reference<css::sheet::XSpreadsheet> sheet_;
  std::string name_;
  int maxRow_, maxCol_;
  mutable std::optional<Loaded> loaded_;
  std::map<std::pair<int, int>, Variant> held_;  // by row, then column
  bool heightsFixed_ = false;
};

class CalcWorkbook final : public LiveWorkbook {
 public:
  explicit CalcWorkbook(css::uno::Reference<css::sheet::XSpreadsheetDocument> doc);
  ~CalcWorkbook();

  CalcSheet& calcSheet(std::string_view name);
  void putStored(std::string_view sheet, int row, int col, const Variant& stored) override {
    calcSheet(sheet).putValue(row, col, stored);
  }
  void writeBlocks(std::string_view sheet, const SheetBlocks& blocks) override {
    calcSheet(sheet).writeBlocks(blocks);
  }
  void setVisible(std::string_view sheet, bool visible) override {
    calcSheet(sheet).setVisible(visible);
  }
  void setPrintLayout(std::string_view sheet, const host::PrintLayout& layout) override {
    const auto start = std::chrono::steady_clock::now();
    calcSheet(sheet).setPrintLayout(layout);
    pageSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  // The time spent laying out the report sheets' pages, told apart in the benchmark.
  double pageSeconds() const { return pageSeconds_; }
  void setColumnWidths(std::string_view sheet, const std::map<int, double>& widths) override {
    calcSheet(sheet).setColumnWidths(widths);
  }
  void activate(std::string_view sheet, std::optional<std::pair<int, int>> cell) override {
    if (cell)
      calcSheet(sheet).selectCell(cell->first, cell->second);
    else
      calcSheet(sheet).activate();
  }
  bool hasSheet(std::string_view name) override;
  void addSheet(const std::string& name) override;
  void flush() override;

  // The sheets' values, in the document's order, as a workbook in memory; the sheets hidden and
  // the active one as in the document.
  std::unique_ptr<host::MemoryWorkbook> copyValues();
  // The same, with the report sheets' pages and column widths: where their rows break.
  std::unique_ptr<host::MemoryWorkbook> copyForRun();
  // Before a report sheet is written, its fitted row heights become fixed ones: else Calc fits
  // every row written to its text.
  void fixReportRowHeights() { fixHeights_ = true; }
  // The document's file name, or "" when it was never saved.
  std::string fileName() const;

 private:
  friend class CalcSheet;
  std::vector<std::string> sheetNames() const;
  std::string filePath() const;               // "" when the document was never saved
  int numberFormat(const std::string& code);  // the document's key for the code

  css::uno::Reference<css::sheet::XSpreadsheetDocument> doc_;
  std::map<std::string, std::unique_ptr<CalcSheet>, std::less<>> sheets_;
  std::map<std::string, int> numberFormats_;
  double pageSeconds_ = 0;
  bool fixHeights_ = false;
};

}  // namespace valdrex::calc
