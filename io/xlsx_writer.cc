#include "io/xlsx_writer.h"

#include <algorithm>
#include <xlsxwriter.h>

#include <cmath>
#include <fstream>
#include <mutex>
#include <optional>
#include <vector>
#include <string_view>

#include "host/number_text.h"
#include "io/atomic_file.h"
#include "io/cell_reference.h"
#include "io/format_cache.h"

namespace valdrex::io {
namespace {

using host::Cell;
using host::MemorySheet;

// The library turns a width into pixels (7 per character plus 5 of padding, less for narrow
// columns) and writes that back as characters; this undoes it, so that a width read from a file
// is written back as the same width.
double libraryWidth(double fileWidth) {
  if (fileWidth * 7 < 12) return fileWidth * 7 / 12;
  return fileWidth - 5.0 / 7.0;
}

bool endsWithIgnoringCase(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char a = s[s.size() - suffix.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != suffix[i]) return false;
  }
  return true;
}

struct WorkbookHandle {
  lxw_workbook* workbook = nullptr;
  ~WorkbookHandle() {
    if (workbook) lxw_workbook_free(workbook);
  }
};

class SheetWriter {
 public:
  SheetWriter(const std::string& path, const MemorySheet& sheet, lxw_worksheet* target,
              FormatCache& formats)
      : path_(path), sheet_(sheet), ws_(target), formats_(formats) {}

  // The library runs in its row-by-row mode: every row is final once a later one is written.
  // Merges only record their range here (no value, no format), row formats go just before their
  // row, and the cells come in row order.
  void write() {
    columnWidths();
    for (const host::Range& m : sheet_.merges()) {
      if (m.row1 == m.row2 && m.col1 == m.col2) continue;
      check(worksheet_merge_range(ws_, row(m.row1), col(m.col1), row(m.row2), col(m.col2), "",
                                  nullptr),
            m.row1, m.col1);
    }
    std::vector<int> formatted = formattedRows();
    auto pending = formatted.begin();
    std::vector<std::pair<int, int>> blanks = mergedBlanksOfFormattedRows();
    auto blank = blanks.begin();
    int currentRow = 0;
    bool rowFormatted = false;
    auto toRow = [&](int r) {
      if (r == currentRow) return;
      currentRow = r;
      rowFormatted = false;
      for (; pending != formatted.end() && *pending <= r; ++pending) {
        rowFormat(*pending);
        rowFormatted = *pending == r;
      }
    };
    // Cells a merge covers in a formatted row carry the row's format, as the spreadsheet keeps
    // them: the centred title area of a report stays centred for readers that look at cells.
    auto blanksBefore = [&](std::pair<int, int> at) {
      for (; blank != blanks.end() && *blank < at; ++blank) {
        toRow(blank->first);
        check(worksheet_write_blank(ws_, row(blank->first), col(blank->second),
                                    formats_.get(*sheet_.rowFormat(blank->first), false)),
              blank->first, blank->second);
      }
    };
    sheet_.forEachCell([&](int r, int c, const Cell& cell) {
      blanksBefore({r, c});
      toRow(r);
      writeCell(r, c, cell, rowFormatted);
    });
    blanksBefore({host::kMaxRows + 1, 0});
    for (; pending != formatted.end(); ++pending) rowFormat(*pending);
  }

 private:
  static lxw_row_t row(int r) { return static_cast<lxw_row_t>(r - 1); }
  static lxw_col_t col(int c) { return static_cast<lxw_col_t>(c - 1); }

  void check(lxw_error error, int r, int c) const {
    if (error == LXW_NO_ERROR) return;
    throw FileError::writing(path_, "工作表“" + sheet_.name() + "”的单元格 " + cellName(r, c) +
                                        " 无法写入（" + lxw_strerror(error) + "）");
  }

  void columnWidths() {
    const auto& widths = sheet_.columnWidths();
    for (auto it = widths.begin(); it != widths.end();) {
      // Neighbouring columns of one width go in one call.
      auto last = it;
      auto next = std::next(it);
      while (next != widths.end() && next->first == last->first + 1 && next->second == it->second)
        last = next++;
      check(worksheet_set_column(ws_, col(it->first), col(last->first), libraryWidth(it->second),
                                 nullptr),
            1, it->first);
      it = next;
    }
  }

  std::vector<int> formattedRows() const {
    std::vector<int> rows;
    int lastRow = sheet_.usedRange().row2;
    for (int r = 1; r <= lastRow; ++r)
      if (sheet_.rowFormat(r)) rows.push_back(r);
    return rows;
  }

  // Positions inside merges, in rows with a format of their own, that hold no cell.
  std::vector<std::pair<int, int>> mergedBlanksOfFormattedRows() const {
    std::vector<std::pair<int, int>> out;
    for (const host::Range& m : sheet_.merges())
      for (int r = m.row1; r <= m.row2; ++r) {
        if (!sheet_.rowFormat(r)) continue;
        for (int c = m.col1; c <= m.col2; ++c)
          if (!sheet_.find(r, c)) out.push_back({r, c});
      }
    std::sort(out.begin(), out.end());
    return out;
  }

  void rowFormat(int r) {
    if (lxw_format* f = formats_.get(*sheet_.rowFormat(r), false))
      check(worksheet_set_row(ws_, row(r), LXW_DEF_ROW_HEIGHT, f), r, 1);
  }

  void writeCell(int r, int c, const Cell& cell, bool inFormattedRow) {
    const Variant& v = cell.value;
    bool date = v.kind() == VarKind::Date;
    lxw_format* format = formats_.get(cell.format, date);
    if (!format && inFormattedRow) format = formats_.plain();
    if (!cell.formula.empty()) {
      writeFormula(r, c, cell.formula, v, format);
      return;
    }
    switch (v.kind()) {
      case VarKind::Empty:
        if (format) check(worksheet_write_blank(ws_, row(r), col(c), format), r, c);
        return;
      case VarKind::Text:
        check(worksheet_write_string(ws_, row(r), col(c), v.text().c_str(), format), r, c);
        return;
      case VarKind::Boolean:
        check(worksheet_write_boolean(ws_, row(r), col(c), v.number() != 0, format), r, c);
        return;
      case VarKind::Error:
        writeError(r, c, v.text(), format);
        return;
      default:
        writeNumber(r, c, number(v), format);
        return;
    }
  }

  static double number(const Variant& v) {
    if (v.kind() == VarKind::Single) return singleToDouble(static_cast<float>(v.number()));
    return v.number();
  }

  // A file cannot hold an infinite or undefined number; the cell shows the spreadsheet's own
  // error for a number out of range instead of a file that cannot be opened.
  void writeNumber(int r, int c, double x, lxw_format* format) {
    if (!std::isfinite(x)) {
      writeError(r, c, "#NUM!", format);
      return;
    }
    check(worksheet_write_number(ws_, row(r), col(c), x, format), r, c);
  }

  // The library has no error cell; a formula of the error itself shows and reads back as it.
  void writeError(int r, int c, const std::string& code, lxw_format* format) {
    check(worksheet_write_formula_str(ws_, row(r), col(c), code.c_str(), format, code.c_str()), r,
          c);
  }

  void writeFormula(int r, int c, const std::string& formula, const Variant& v,
                    lxw_format* format) {
    const char* f = formula.c_str();
    if (v.isNumeric() && std::isfinite(number(v))) {
      check(worksheet_write_formula_num(ws_, row(r), col(c), f, format, number(v)), r, c);
    } else if (v.isText() || v.isError()) {
      check(worksheet_write_formula_str(ws_, row(r), col(c), f, format, v.text().c_str()), r, c);
    } else {
      // No cached result: an empty one, so that readers recalculate rather than show 0.
      check(worksheet_write_formula_str(ws_, row(r), col(c), f, format, ""), r, c);
    }
  }

  const std::string& path_;
  const MemorySheet& sheet_;
  lxw_worksheet* ws_;
  FormatCache& formats_;
};

void writeFile(const host::MemoryWorkbook& book, const std::string& target,
               const std::string& file) {
  // The macro project can only be handed over as a file; it lives beside the target meanwhile.
  std::optional<TempFile> vba;
  if (!book.vbaProject.empty()) {
    vba.emplace(target, "vba");
    std::ofstream out(vba->path(), std::ios::binary | std::ios::trunc);
    out.write(book.vbaProject.data(), static_cast<std::streamsize>(book.vbaProject.size()));
    out.close();
    if (!out) throw FileError::writing(target, "无法写入宏项目的临时文件");
  }

  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  WorkbookHandle handle{workbook_new_opt(file.c_str(), &options)};
  if (!handle.workbook) throw FileError::writing(target, "内存不足");
  lxw_workbook* wb = handle.workbook;
  FormatCache formats(wb);

  std::size_t active = book.activeSheet < book.sheetCount() ? book.activeSheet : 0;
  if (active < book.sheetCount() && !book.sheetAt(active).visible()) {
    for (std::size_t i = 0; i < book.sheetCount(); ++i)
      if (book.sheetAt(i).visible()) {
        active = i;
        break;
      }
  }

  for (std::size_t i = 0; i < book.sheetCount(); ++i) {
    const MemorySheet& sheet = book.sheetAt(i);
    const std::string name = sheet.name();
    lxw_error valid = workbook_validate_sheet_name(wb, name.c_str());
    if (valid != LXW_NO_ERROR)
      throw FileError::writing(target, "工作表名称“" + name + "”不能用于 xlsx 文件（" +
                                           lxw_strerror(valid) + "）");
    lxw_worksheet* ws = workbook_add_worksheet(wb, name.c_str());
    if (!ws) throw FileError::writing(target, "无法添加工作表“" + name + "”");
    SheetWriter(target, sheet, ws, formats).write();
    // The active sheet must be shown, even if the workbook hid every sheet.
    if (i == active) worksheet_activate(ws);
    else if (!sheet.visible()) worksheet_hide(ws);
  }

  if (vba) {
    lxw_error error = workbook_add_vba_project(wb, vba->path().c_str());
    if (error != LXW_NO_ERROR)
      throw FileError::writing(target, std::string("无法加入宏项目（") + lxw_strerror(error) + "）");
  }

  handle.workbook = nullptr;  // closing frees it, whatever the outcome
  // Closing formats the file's creation time with gmtime(), one buffer for the whole process:
  // workbooks written side by side close one at a time.
  static std::mutex closing;
  lxw_error closed;
  {
    std::lock_guard lock(closing);
    closed = workbook_close(wb);
  }
  if (closed != LXW_NO_ERROR)
    throw FileError::writing(target, std::string("写入失败（") + lxw_strerror(closed) + "）");
}

}  // namespace

void writeWorkbook(const host::MemoryWorkbook& book, const std::string& path) {
  if (!book.vbaProject.empty() && !endsWithIgnoringCase(path, ".xlsm"))
    throw FileError::writing(path, "工作簿含有宏，只能保存为 .xlsm 文件");
  try {
    writeAtomically(path, [&](const std::string& temp) { writeFile(book, path, temp); });
  } catch (const std::bad_alloc&) {
    throw FileError::writing(path, "内存不足");
  }
}

}  // namespace valdrex::io
