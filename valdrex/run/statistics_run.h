// The one-call statistics run.
#pragma once

#include <string_view>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Loads, ranks and counts from score sheet sh1 and "属性表", writes every report sheet of wb that
// exists, finishes the ranking sheets and always shows the closing message. Every step that
// fails is skipped.
// The message that closes a run that went through every step.
inline constexpr std::string_view kClosingMessage = "成绩统计操作完成!";

void 输出(GradeBook& g, host::Workbook& wb, host::Worksheet& sh1, host::Ui& ui, host::Clock& clock);

}  // namespace valdrex
