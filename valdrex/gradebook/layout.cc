#include "valdrex/gradebook/layout.h"

#include "valdrex/gradebook/cell_text.h"
#include "valdrex/gradebook/limits_message.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"

namespace valdrex {

namespace {

// Columns 4 to 17 can be subjects; the tables hold no more.
constexpr int kMaxSubjectColumns = 14;

void discoverLayout(GradeBook& g, const host::Worksheet& sh) {
  g.总人数 = 0;
  for (int c = 0; c <= kMaxClasses; ++c) {
    g.classSizes(c) = 0;
    // Slot 13 is left alone: each report sets the total's count to the class size itself.
    for (int j = 0; j <= kMaxSubjects; ++j) g.examineeCounts(c, j) = 0;
  }

  g.bjhh = 3;
  g.bjlh = 0;
  g.zhlh = 0;
  for (int16_t k = 1; k <= 3; ++k) {
    std::string header = cellText(sh, g.bjhh, k);
    if (header == "班级") g.bjlh = k;
    if (header == "座号" || header == "考号") g.zhlh = k;
  }

  int16_t col = 4;
  for (int passed = 0;; ++col) {
    std::string header = cellText(sh, g.bjhh, col);
    if (header.empty() || header == "总分") break;
    if (++passed > kMaxSubjectColumns)
      throw Failure(FailureKind::IndexOutOfRange, "科目列超过 " + std::to_string(passed - 1));
  }

  int16_t i = 1;
  for (std::string header; !(header = cellText(sh, g.bjhh, i)).empty(); i = addInteger(i, 1))
    g.headerTexts(i) = header;
  g.headerTexts(i) = "总分";
  g.headerTexts(i + 1) = "班排";
  g.headerTexts(i + 2) = "校排";

  g.kmcl = 4;
  g.kmwl = addInteger(col, -1);
  g.km = addInteger(addInteger(g.kmwl, static_cast<int16_t>(-g.kmcl)), 1);

  // Counted in 16 bits: a sheet with more student rows than that is beyond the model.
  int16_t row = addInteger(g.bjhh, 1);
  while (!cellText(sh, row, 2).empty() || !cellText(sh, row, 3).empty()) row = addInteger(row, 1);
  g.总人数 = toInteger(double(row) - g.bjhh - 1);
}

}  // namespace

void 初始化(GradeBook& g, host::Worksheet& sh, host::Ui& ui) {
  try {
    discoverLayout(g, sh);
  } catch (const Failure&) {
    showLimitsMessage(ui);
  }
}

double F总人数(GradeBook& g, host::Worksheet& sh, host::Ui& ui) {
  attempt([&] { 初始化(g, sh, ui); });
  return g.总人数;
}

}  // namespace valdrex
