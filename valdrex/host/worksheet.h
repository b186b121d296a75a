// The spreadsheet operations the whole library uses. Rows and columns are 1-based; a row or
// column below 1 or beyond the sheet's size fails with Failure(HostError), as does any operation
// the host cannot carry out. Implementations: the in-memory workbook (memory_workbook.h) and, in
// tests, forwarding hosts that inject failures.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/export.h"
#include "valdrex/host/variant.h"

namespace valdrex::host {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

// A rectangular block, corners included; row1 <= row2 and col1 <= col2.
struct Range {
  int row1 = 1, col1 = 1, row2 = 1, col2 = 1;
  friend bool operator==(const Range&, const Range&) = default;
};
// Range(cell1, cell2): the block between two cells, in either order.
VALDREX_API Range between(int rowA, int colA, int rowB, int colB);
// Rows(n): the whole row.
inline Range wholeRow(int row) { return Range{row, 1, row, kMaxColumns}; }
inline Range singleCell(int row, int col) { return Range{row, col, row, col}; }

// Column letters of a 1-based column (1 -> "A", 28 -> "AB") and a cell's name ("C5"), as the
// spreadsheet shows them in messages.
VALDREX_API std::string columnName(int col);
VALDREX_API std::string cellName(int row, int col);

// Formats a sheet is given. The object model's numeric codes for them are the automation edge's
// (valdrex/automation/object_model_codes.h).
enum class HAlign : uint8_t { General, Left, Center, Right };
enum class BorderSide : uint8_t { Left, Right, Top, Bottom };
enum class LineStyle : uint8_t { None, Continuous };
enum class SheetVisibility : uint8_t { Hidden, Visible };

struct SortKey {
  int column = 1;  // absolute column number
  bool descending = false;
};

// The value a cell stores when `value` is written to it, by the rules of Worksheet::setCell.
VALDREX_API Variant storedCellValue(const Variant& value);

// The order of rows sorted by up to three keys, by the rules of Worksheet::sort: `keyCells[i][k]`
// is row i's cell of key k (nullptr when empty or not used). Rows with some key come first,
// stably sorted; every other row keeps its order after them. Returns row indices, new order.
VALDREX_API std::vector<std::size_t> sortedRowOrder(
    std::span<const std::array<const Variant*, 3>> keyCells, std::span<const SortKey> keys);

class VALDREX_API Worksheet : public Object {
 public:
  virtual std::string name() const = 0;

  // Cells(row, col) read: Empty, Double, Date, Boolean, Text or Error.
  virtual Variant cell(int row, int col) const = 0;
  // Cells(row, col) write. A text is stored as typed input: one that reads entirely as a plain
  // decimal number becomes that number (" 33.33"), unless that loses what was written ("0501");
  // empty text empties the cell; a text longer than a cell holds (32,767 UTF-16 code units)
  // keeps its first 32,767, as the spreadsheet keeps them. Integer, Long and Single become
  // numbers (a single by its shortest decimal form), a Date stays a date. The cell's formats
  // are kept.
  virtual void setCell(int row, int col, const Variant& value) = 0;

  // The smallest block holding every cell with a value or a format; A1 for an untouched sheet.
  virtual Range usedRange() const = 0;
  // Values and formats (borders, alignment, number formats, merges) removed.
  virtual void clear(const Range& block) = 0;
  // Values only removed.
  virtual void clearContents(const Range& block) = 0;
  // The block removed, cells below it in its columns shift up (a whole row: every column).
  virtual void deleteCells(const Range& block) = 0;
  // A new empty row inserted before `row`, rows below shift down. Right after copy() of a whole
  // row, the copied row (values, formats, merges) is inserted instead, and the copy is used up.
  virtual void insertRow(int row) = 0;
  // Copy: the block's values and formats taken to the application's clipboard.
  virtual void copy(const Range& block) = 0;
  // PasteSpecial: the clipboard's block pasted with its top-left corner at (row, col).
  // Fails when nothing was copied.
  virtual void pasteSpecial(int row, int col) = 0;
  // Rows of the block reordered by up to three keys; with `header` the first row stays. Stable.
  // Ascending: numbers, then texts ignoring case, then booleans, then errors; empty cells last
  // in either direction.
  virtual void sort(const Range& block, std::span<const SortKey> keys, bool header) = 0;
  // One merged cell keeping the top-left value.
  virtual void merge(const Range& block) = 0;
  // For a whole row the row's own format too.
  virtual void setHorizontalAlignment(const Range& block, HAlign alignment) = 0;
  // Line style on one side of every cell of the block.
  virtual void setBorder(const Range& block, BorderSide side, LineStyle lineStyle) = 0;
  // How every cell of the block shows its number: a format code ("0.00"); "" is General.
  virtual void setNumberFormat(const Range& block, const std::string& code) = 0;
  // Select on the sheet: it becomes the active sheet. On a cell: the active sheet and cell.
  virtual void activate() = 0;
  virtual void selectCell(int row, int col) = 0;
  // Visible put. Hiding the last visible sheet fails.
  virtual void setVisible(SheetVisibility visibility) = 0;
};

class VALDREX_API Workbook : public Object {
 public:
  // The sheet of exactly this name; a missing name fails.
  virtual Worksheet& sheet(std::string_view name) = 0;
  // The folder of the workbook's file, "" for a workbook never saved.
  virtual std::string folderPath() const = 0;
  // Saves the workbook under its present name and format; a failed save fails.
  virtual void save() = 0;
};

}  // namespace valdrex::host
