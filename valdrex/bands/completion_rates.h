// "完成率表": each class measured against two per-class targets typed in at the run.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "valdrex/bands/completion_targets.h"
#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// The header row of every table; the total's table says "班主任" in the last column.
inline constexpr std::array<std::string_view, 11> kCompletionHeader = {
    "班级",   "参考人数",     "一档人数",   "一档完成率", "二档人数", "二档完成率",
    "平均分", "平均分完成率", "综合完成率", "综合名次",   "任课教师"};
static_assert(kCompletionHeader.size() == CompletionColumns::last);

// Every rate's and average's rounding goes to trace. Returns the targets the teacher gave; empty
// when the questions were cancelled and the sheet left as it was.
std::optional<CompletionTargets> writeCompletionRates(GradeBook& g, host::Worksheet& sh,
                                                      host::Ui& ui, host::Clock& clock,
                                                      const RoundingTrace& trace = {});

}  // namespace valdrex
