// A workbook open in a spreadsheet program, following a run made on the job's copy of it: the
// statistics read and change the copy alone (fast, and exactly what the checks saw), and then
// each sheet the run changed is written to the open workbook at once, as it ended.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "valdrex/host/memory_workbook.h"
#include "valdrex/job/session/sheet_blocks.h"

namespace valdrex {

class LiveWorkbook {
 public:
  virtual ~LiveWorkbook() = default;
  virtual bool hasSheet(std::string_view name) = 0;
  // A new empty sheet after the last one.
  virtual void addSheet(const std::string& name) = 0;
  // Puts a value as a cell of the copy holds it, without reading text as typed input ("001"
  // stays a text).
  virtual void putStored(std::string_view sheet, int row, int col, const Variant& stored) = 0;
  // Makes the sheet `name` hold `blocks`, in their order.
  virtual void writeBlocks(std::string_view name, const SheetBlocks& blocks) = 0;
  virtual void setVisible(std::string_view name, bool visible) = 0;
  // Gives the sheet the page `layout` describes, its row breaks and no earlier manual ones. A page
  // the teacher set up (layout.keepsOwnPage, and a page the program tells as not Valdrex's) keeps
  // its settings and gets the row breaks alone.
  virtual void setPrintLayout(std::string_view name, const host::PrintLayout& layout) = 0;
  // Column widths in character units, by column (1-based).
  virtual void setColumnWidths(std::string_view name, const std::map<int, double>& widths) = 0;
  // Brings the sheet to the front, with `cell` (row, column) selected when given.
  virtual void activate(std::string_view name, std::optional<std::pair<int, int>> cell) = 0;
  // Makes the changes it still holds back.
  virtual void flush() = 0;
};

// Gives `live` the print layout of each of `sheets` the copy has one for, and the column widths
// of those among them the run added (a page's scale fits them).
void writePrintLayouts(const host::MemoryWorkbook& copy, LiveWorkbook& live,
                       const std::vector<std::string>& sheets,
                       const std::vector<std::string>& added);

// The copy's sheets as a run finds them, to tell what it changed.
class CopyBeforeRun {
 public:
  explicit CopyBeforeRun(const host::MemoryWorkbook& copy);
  // Writes to `live` what the run changed on the copy's sheets (adding those it lacks), shows
  // the sheets the run showed, and activates the sheet and selects the cell the run left so.
  void writeChanges(const host::MemoryWorkbook& copy, LiveWorkbook& live) const;

 private:
  struct Sheet {
    std::string name;
    SheetValues values;
    bool visible;
  };
  std::vector<Sheet> sheets_;
  std::size_t active_;
};

}  // namespace valdrex
