// A score sheet and a property sheet written from a few lines of data, and the grade book they
// load.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/scripted_ui.h"
#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/limits_message.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// Large (the grade book's tables): create it with make_unique.
struct GradeSheet {
  // Rows from row `first`, cells separated by '|' and stored as typed input; "" stays empty.
  static void write(host::Worksheet& ws, int first, const std::vector<std::string>& rows) {
    for (const std::string& line : rows) {
      for (std::size_t from = 0, col = 1; from <= line.size(); ++col) {
        std::size_t bar = std::min(line.find('|', from), line.size());
        if (bar > from) ws.setCell(first, int(col), Variant::text(line.substr(from, bar - from)));
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

  // Raw full marks of 100 above a header row 3 of three subjects, then the students.
  void sheet(const std::vector<std::string>& students) {
    write(sh, 2, {"|||100|100|100", "班级|座号|姓名|语文|数学|英语"});
    write(sh, 4, students);
  }

  void load() {
    findLayout(g, sh, ui);
    loadClasses(g, sh, ui);
    loadScores(g, sh, &sx, ui, RoundingTrace(lastRounding));
  }

  host::MemoryWorkbook book;
  host::MemorySheet& sh = book.addSheet("成绩表");
  host::MemorySheet& sx = book.addSheet("属性表");
  host::ScriptedUi ui;
  GradeBook g;
  int32_t lastRounding = -1;  // the working value of the last score scaled
};

}  // namespace valdrex
