// A score sheet and a property sheet written from a few lines of data, and the grade book they
// load.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gradebook/grade_book.h"
#include "gradebook/layout.h"
#include "gradebook/limits_message.h"
#include "gradebook/loading.h"
#include "host/memory_workbook.h"
#include "host/scripted_ui.h"

namespace valdrex {

// Large (the grade book's tables): create it with make_unique.
struct GradeSheet {
  // Writes rows from row `first`; cells are separated by '|', an empty cell is left empty, and
  // a cell is stored as typed input (numbers become numbers).
  static void write(host::Worksheet& ws, int first, const std::vector<std::string>& rows) {
    for (const std::string& line : rows) {
      int col = 1;
      for (std::size_t from = 0;; ++col) {
        std::size_t bar = line.find('|', from);
        std::string text = line.substr(from, bar - from);
        if (!text.empty()) ws.setCell(first, col, Variant::text(text));
        if (bar == std::string::npos) break;
        from = bar + 1;
      }
      ++first;
    }
  }

  // Full mark 100, excellent 85, pass 60, low 40 for `subjects` subjects and the total.
  void properties(int subjects) {
    for (int col = 2; col <= subjects + 2; ++col) {
      int scale = col == subjects + 2 ? subjects : 1, row = 3;
      for (int mark : {100, 85, 60, 40}) sx.setCell(row++, col, Variant::number(mark * scale));
    }
  }

  // Header row 3 with raw full marks of 100 above three subjects, then the student rows.
  void sheet(const std::vector<std::string>& students) {
    write(sh, 2, {"|||100|100|100", "班级|座号|姓名|语文|数学|英语"});
    write(sh, 4, students);
  }

  void load() {
    初始化(g, sh, ui);
    载入班级(g, sh, ui);
    载入成绩(g, sh, &sx, ui);
  }

  host::MemoryWorkbook book;
  host::MemorySheet& sh = book.addSheet("成绩表");
  host::MemorySheet& sx = book.addSheet("属性表");
  host::ScriptedUi ui;
  GradeBook g;
};

}  // namespace valdrex
