// The in-memory workbook: sheets of sparse cells with values and the formats the reports use.
// It implements the host operations of worksheet.h and offers the io layer direct access.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "valdrex/export.h"
#include "valdrex/host/copy_on_write.h"
#include "valdrex/host/formula_text.h"
#include "valdrex/host/row_storage.h"
#include "valdrex/host/sheet_presentation.h"
#include "valdrex/host/sparse_text.h"
#include "valdrex/host/worksheet.h"

namespace valdrex::host {

class MemoryWorkbook;

// Names a spreadsheet file can hold: 1 to 31 characters, none of : \ / ? * [ ], no apostrophe
// at either end; else Failure(HostError).
VALDREX_API void checkSheetName(const std::string& name);

// What the file layer keeps of the file a workbook was read from, to write everything the model
// does not hold back as it was.
class VALDREX_API FileOrigin {
 public:
  virtual ~FileOrigin() = default;
};

// Border bits of a cell.
enum : uint8_t { kEdgeLeft = 1, kEdgeRight = 2, kEdgeTop = 4, kEdgeBottom = 8 };

struct CellFormat {
  uint8_t borders = 0;  // kEdge* bits, thin continuous lines
  HAlign align = HAlign::General;
  SparseText numberFormat;  // "" = General; dates written without one show as yyyy/m/d
  // The style the cell had in the file it was read from (0: the workbook's default). It carries
  // what the model does not hold (font, fill, protection, line colours), so that a cell keeps
  // them when it is written back, and a changed border or alignment is applied on top of them.
  uint32_t style = 0;
  bool bold = false;  // set by Valdrex on the header rows of sheets it made
  bool empty() const {
    return borders == 0 && align == HAlign::General && numberFormat.empty() && style == 0 && !bold;
  }
  friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

struct Cell {
  Variant value;
  FormulaText formula;  // without the leading "="; value is then its cached result
  CellFormat format;
  bool used() const { return !value.isEmpty() || !formula.empty() || !format.empty(); }
  friend bool operator==(const Cell&, const Cell&) = default;
};

class VALDREX_API MemorySheet final : public Worksheet {
 public:
  MemorySheet(MemoryWorkbook& book, std::string name);

  // Worksheet
  std::string name() const override { return name_; }
  Variant cell(int row, int col) const override;
  void setCell(int row, int col, const Variant& value) override;
  Range usedRange() const override;
  void clear(const Range& block) override;
  void clearContents(const Range& block) override;
  void deleteCells(const Range& block) override;
  void insertRow(int row) override;
  void copy(const Range& block) override;
  void pasteSpecial(int row, int col) override;
  void sort(const Range& block, std::span<const SortKey> keys, bool header) override;
  void merge(const Range& block) override;
  void setHorizontalAlignment(const Range& block, HAlign alignment) override;
  void setNumberFormat(const Range& block, const std::string& code) override;
  void setBorder(const Range& block, BorderSide side, LineStyle lineStyle) override;
  void activate() override;
  void selectCell(int row, int col) override;
  void setVisible(SheetVisibility visibility) override;

  // Direct access for the file layer and tests.
  void rename(std::string name) { name_ = std::move(name); }
  const Cell* find(int row, int col) const;  // nullptr when the cell was never used
  Cell& at(int row, int col);                // created when missing; no typed-input rule
  // Every used cell in row order, then column order.
  void forEachCell(const std::function<void(int row, int col, const Cell&)>& visit) const;
  std::size_t cellCount() const;
  // Every stored row in order: its cells by column and its own format (nullptr when none).
  void forEachRow(const std::function<void(int row, std::span<const std::pair<int, Cell>> cells,
                                           const CellFormat* format)>& visit) const;
  const std::vector<Range>& merges() const { return merges_; }
  void addMerge(const Range& block);  // as read from a file
  // Many at once, as read from a file: a block replaces the earlier ones it meets, as addMerge()
  // one after another would, in time that grows with their number, not its square.
  void addMerges(const std::vector<Range>& blocks);
  // Format of a whole row (set by alignment on Rows(n)); applies to its empty cells too.
  const CellFormat* rowFormat(int row) const;
  void setRowFormat(int row, std::optional<CellFormat> format);  // as read from a file
  const std::map<int, double>& columnWidths() const { return columnWidths_; }
  void setColumnWidth(int col, double width) {
    columnWidths_[col] = width;
    changed_ = true;
  }
  // The rows of the file's sheet the model holds: fewer than all when the reader left out cells
  // below them (the file keeps them), so that a list reaching the last of them may go on.
  int rowsRead() const { return rowsRead_; }
  void setRowsRead(int rows) { rowsRead_ = rows; }
  bool visible() const { return visible_; }
  std::optional<std::pair<int, int>> selection() const { return selection_; }
  // For sheets Valdrex made, and for report sheets a run wrote into (keepsOwnPage: the file's
  // own settings stay); nullopt otherwise.
  const std::optional<PrintLayout>& printLayout() const { return printLayout_; }
  void setPrintLayout(PrintLayout layout) {
    printLayout_ = layout;
    changed_ = true;
  }
  // The file's own page setup, when the sheet was read from one that has it.
  const std::optional<PageAsRead>& pageAsRead() const { return pageAsRead_; }
  void setPageAsRead(PageAsRead page) { pageAsRead_ = page; }
  // Charts Valdrex placed on the sheet; setting them replaces the drawing the sheet had.
  const std::vector<Chart>& charts() const { return charts_; }
  void setCharts(std::vector<Chart> charts) {
    charts_ = std::move(charts);
    chartsSet_ = true;
    changed_ = true;
  }
  bool chartsSet() const { return chartsSet_; }
  MemoryWorkbook& workbook() const { return book_; }
  // Whether anything of the sheet's own (cells, formats, merges, widths) changed since it was
  // read: the file layer rewrites only such sheets and copies the others as they were.
  bool changed() const { return changed_; }
  // Blocks cleared or deleted since then: what lay in them in the file goes with them.
  const std::vector<Range>& removedBlocks() const { return removed_; }
  void markAsRead() {
    changed_ = false;
    removed_.clear();
  }

  using CellRow =
      std::vector<std::pair<int, Cell>, RowAllocator<std::pair<int, Cell>>>;  // by column

 private:
  friend class MemoryWorkbook;
  struct Row {
    int number;
    CopyOnWrite<CellRow> cells;  // shared with the rows it was copied from or to
    std::optional<CellFormat> format;
  };
  // What copy() took: rows numbered from 0 at the block's top row, cells keeping their columns.
  struct Clipboard {
    int height = 0, width = 0;
    int col1 = 1;            // the block's first column
    bool wholeRows = false;  // full-width rows, which insertRow() inserts
    std::vector<Row> rows;
    std::vector<Range> merges;  // numbered from 0 at the block's top-left corner
  };

  std::size_t rowIndex(int row) const;  // first stored row at or after `row`
  Row* findRow(int row);
  const Row* findRow(int row) const;
  Row& rowAt(int row);
  Cell& cellAt(Row& row, int col);  // created with the row's own format when missing
  // Drops cells of rows first..last that hold nothing of their own, then rows left empty.
  void tidyRows(int first, int last);
  int lastUsedRow() const;
  int lastCellColumn() const;  // of cells and row formats; merges left out
  std::size_t index() const;   // position in the workbook
  void recordMerge(const Range& block);
  void noteRemoved(const Range& block);
  // Rows from `row` on move down by `by`; a merge across the gap grows.
  void openRows(int row, int by);
  void deleteWholeRows(int first, int last);
  void deletePartOfRows(const Range& block);
  void placeClipboard(const Clipboard& clip, int row, int col);
  // A change (a callable taking CellFormat&) applied to the format of every cell of the block,
  // and to the row's own format of whole rows when asked.
  template <class Change>
  void changeFormats(const Range& block, bool rowFormatsToo, const Change& change);

  MemoryWorkbook& book_;
  std::string name_;
  std::vector<Row> rows_;                     // sorted by row number; only rows that hold something
  mutable std::size_t rowHints_[2] = {0, 0};  // where rowIndex() last found rows
  std::vector<Range> merges_;
  std::map<int, double> columnWidths_;
  int rowsRead_ = kMaxRows;
  bool visible_ = true;
  std::optional<std::pair<int, int>> selection_;
  std::optional<PrintLayout> printLayout_;
  std::optional<PageAsRead> pageAsRead_;
  std::vector<Chart> charts_;
  bool chartsSet_ = false;
  bool changed_ = true;  // a new sheet is written
  std::vector<Range> removed_;
};

class VALDREX_API MemoryWorkbook final : public Workbook {
 public:
  explicit MemoryWorkbook(std::string path = "");
  MemoryWorkbook(const MemoryWorkbook&) = delete;
  MemoryWorkbook& operator=(const MemoryWorkbook&) = delete;

  // Workbook
  Worksheet& sheet(std::string_view name) override;
  std::string folderPath() const override;
  void save() override;

  // A new sheet at the end; a name already in use fails.
  MemorySheet& addSheet(const std::string& name);
  MemorySheet* find(std::string_view name);
  std::size_t sheetCount() const { return sheets_.size(); }
  MemorySheet& sheetAt(std::size_t index) { return *sheets_.at(index); }
  const MemorySheet& sheetAt(std::size_t index) const { return *sheets_.at(index); }

  const std::string& path() const { return path_; }
  void setPath(std::string path) { path_ = std::move(path); }
  // Save is carried out by the file layer; without a saver, save() fails.
  void setSaver(std::function<void(MemoryWorkbook&)> saver) { saver_ = std::move(saver); }

  // What a file carries beyond the sheets, kept for writing it back.
  std::shared_ptr<const FileOrigin> origin;
  // Chart and dialog sheets of the file: kept in it, but no sheet of the model may take a name.
  std::vector<std::string> sheetsWithoutCells;
  bool date1904 = false;
  std::string vbaProject;  // the macro project's bytes of an .xlsm, carried over unchanged
  std::size_t activeSheet = 0;

 private:
  friend class MemorySheet;
  std::string path_;
  std::vector<std::unique_ptr<MemorySheet>> sheets_;
  std::optional<MemorySheet::Clipboard> clipboard_;
  std::function<void(MemoryWorkbook&)> saver_;
};

}  // namespace valdrex::host
