// A blank grade workbook, ready for the teacher to type the students and scores into.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "valdrex/export.h"
#include "valdrex/host/memory_workbook.h"

namespace valdrex {

// The full mark of a subject given without one.
inline constexpr int kDefaultFullMark = 100;

struct TemplateOptions {
  // 1..12 subjects, each "名称" or "名称:满分" (also with the full-width colon "："); the mark
  // is the paper's raw full mark and the full mark the statistics scale to, 100 when not given.
  std::vector<std::string> subjects = {"语文", "数学", "英语", "物理", "化学", "生物"};
  int classes = 4;  // 1..20
};

// "成绩表" with its title, each subject's raw full mark in row 2 and the header; "属性表" with the
// same full marks, the lines and weights, and the class rows "1班", "2班", ...; every report
// sheet, empty; every sheet ready to print. A subject list that is empty, too long, repeats a
// name, uses a name the header reserves or gives a mark that is not a whole number from 1 to
// 1000, and a class count out of range, fail with std::invalid_argument (the message in Chinese).
VALDREX_API std::unique_ptr<host::MemoryWorkbook> templateWorkbook(const TemplateOptions& options);

}  // namespace valdrex
