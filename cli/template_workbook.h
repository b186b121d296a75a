// A blank grade workbook, ready for the teacher to type the students and scores into.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/memory_workbook.h"

namespace valdrex::cli {

struct TemplateOptions {
  std::vector<std::string> subjects = {"语文", "数学", "英语", "物理", "化学", "生物"};  // 1..12
  int classes = 4;                                                                       // 1..20
};

// "成绩表" with its title, raw full marks of 100 and header; "属性表" with lines and weights for
// full marks of 100 and the class rows "1班", "2班", ...; every report sheet, empty. A subject list
// that is empty, too long, repeats a name or uses a name the header reserves, and a class count
// out of range, fail with std::invalid_argument.
std::unique_ptr<host::MemoryWorkbook> templateWorkbook(const TemplateOptions& options);

}  // namespace valdrex::cli
