// The host over LibreOffice Calc's object model: the sheets of a spreadsheet document open in the
// office. Cells go through in blocks (data arrays), never one call per cell: a sheet's values are
// read at once and kept until its layout changes, and written cells are held back and written as
// rectangles before anything that needs them (every other operation, flush()).
#pragma once

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/session/live_workbook.h"

namespace valdrex::calc {

class CalcWorkbook;

class CalcSheet final : public host::Worksheet {
 public:
  CalcSheet(CalcWorkbook& book, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
            std::string name);
  ~CalcSheet();

  std::string name() const override { return name_; }
  Variant cell(int row, int col) const override;
  void setCell(int row, int col, const Variant& value) override;
  host::Range usedRange() const override;
  void clear(const host::Range& block) override;
  void clearContents(const host::Range& block) override;
  void deleteCells(const host::Range& block) override;
  void insertRow(int row) override;
  void copy(const host::Range& block) override;
  void pasteSpecial(int row, int col) override;
  void sort(const host::Range& block, std::span<const host::SortKey> keys, bool header) override;
  void merge(const host::Range& block) override;
  void setHorizontalAlignment(const host::Range& block, host::HAlign alignment) override;
  void setBorder(const host::Range& block, host::BorderSide side, host::LineStyle style) override;
  void setNumberFormat(const host::Range& block, const std::string& code) override;
  void activate() override;
  void selectCell(int row, int col) override;
  void setVisible(host::SheetVisibility visibility) override;

  // A value exactly as the cell is to store it: no typed-input rule.
  void putValue(int row, int col, const Variant& stored);
  // The blocks as they come: a call or two each.
  void writeBlocks(const SheetBlocks& blocks);
  // Inserts the rows waiting to be inserted, and writes the cells and borders held back.
  void flush();
  // flush(), and the print titles set aside put back: the end of a run.
  void finish();
  // Every cell with a value, as the sheet holds them now.
  void copyValuesTo(host::MemorySheet& copy);

 private:
  struct Loaded {
    host::Range area;
    std::vector<Variant> values;  // row by row
  };
  struct HeldBorder {
    host::Range block;
    host::LineStyle style;
    unsigned sides = 0;  // bit per host::BorderSide
  };
  const Loaded& loaded() const;
  css::uno::Reference<css::table::XCellRange> range(const host::Range& block) const;
  host::Range clamped(host::Range block) const;
  host::Range writtenRange() const;  // the used area without the cells held back
  void changed();                    // the layout moved: values are read again when asked
  void changing();                   // before a change: held writes out, row heights fixed
  void fixRowHeights();
  void holdPrintTitles();
  void insertPendingRows();
  void flushCells();
  void flushBorder();
  void applyBorder(const host::Range& block, unsigned sides, host::LineStyle style);
  void clearValues(const host::Range& block);
  int index() const;

  CalcWorkbook& book_;
  css::uno::Reference<css::sheet::XSpreadsheet> sheet_;
  std::string name_;
  int maxRow_, maxCol_;
  mutable std::optional<Loaded> loaded_;
  std::map<std::pair<int, int>, Variant> held_;  // by row, then column
  std::optional<HeldBorder> heldBorder_;
  bool heightsFixed_ = false;
  // Copied rows whose insertion waits for the next change: Calc takes nearly as long to insert
  // two rows as one, and a class's title and header rows come one after the other.
  struct PendingRows {
    int row;
    std::vector<host::Range> sources;  // rows above `row` on this sheet, top one first
  };
  std::optional<PendingRows> pendingRows_;
  // The rows and columns repeated on every printed page, set aside from the first change of rows
  // to the end of a run: with them, Calc lays out the sheet's pages again after every inserted or
  // deleted row. They come back as they were, as the command's result keeps them.
  struct PrintTitles {
    std::optional<css::table::CellRangeAddress> rows, columns;
  };
  std::optional<PrintTitles> heldTitles_;
};

class CalcWorkbook final : public LiveWorkbook {
 public:
  explicit CalcWorkbook(css::uno::Reference<css::sheet::XSpreadsheetDocument> doc);
  ~CalcWorkbook();

  host::Worksheet& sheet(std::string_view name) override { return calcSheet(name); }
  CalcSheet& calcSheet(std::string_view name);
  void putStored(std::string_view sheet, int row, int col, const Variant& stored) override {
    calcSheet(sheet).putValue(row, col, stored);
  }
  void writeBlocks(std::string_view sheet, const SheetBlocks& blocks) override {
    calcSheet(sheet).writeBlocks(blocks);
  }
  std::string folderPath() const override;
  void save() override;
  bool hasSheet(std::string_view name) override;
  void addSheet(const std::string& name) override;
  void flush() override;

  // The sheets' values, in the document's order, as a workbook in memory; the sheets hidden and
  // the active one as in the document.
  std::unique_ptr<host::MemoryWorkbook> copyValues();
  // Before a report sheet's first change, its fitted row heights become fixed ones: Calc fits a
  // row to its text after every change of it, which is most of a run's time on a large grade.
  void fixReportRowHeights() { fixHeights_ = true; }
  // The document's file name, or "" when it was never saved.
  std::string fileName() const;

 private:
  friend class CalcSheet;
  struct Clipboard {
    std::string sheet;
    host::Range block;
    bool wholeRows = false;
  };
  std::vector<std::string> sheetNames() const;
  std::string filePath() const;               // "" when the document was never saved
  int numberFormat(const std::string& code);  // the document's key for the code

  css::uno::Reference<css::sheet::XSpreadsheetDocument> doc_;
  std::map<std::string, std::unique_ptr<CalcSheet>, std::less<>> sheets_;
  std::optional<Clipboard> clipboard_;
  std::map<std::string, int> numberFormats_;
  bool fixHeights_ = false;
};

}  // namespace valdrex::calc
