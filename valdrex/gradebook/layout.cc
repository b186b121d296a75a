#include "valdrex/gradebook/layout.h"

#include "valdrex/gradebook/cell_text.h"
#include "valdrex/gradebook/limits_message.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"

namespace valdrex {

namespace {

void discoverLayout(GradeBook& g, const host::Worksheet& sh) {
  g.studentCount = 0;
  for (int c = 0; c <= ModelLimits::classes; ++c) {
    g.classSizes(c) = 0;
    // Slot 13 is left alone: each report sets the total's count to the class size itself.
    for (int j = 0; j <= ModelLimits::subjects; ++j) g.examineeCounts(c, j) = 0;
  }

  g.headerRow = ScoreSheetLayout::headerRow;
  g.classColumn = 0;
  g.seatColumn = 0;
  for (int16_t k = 1; k <= ScoreSheetLayout::leadingColumns; ++k) {
    std::string header = cellText(sh, g.headerRow, k);
    if (isClassHeader(header)) g.classColumn = k;
    if (isSeatHeader(header)) g.seatColumn = k;
  }

  int16_t col = ScoreSheetLayout::firstSubjectColumn;
  for (int passed = 0;; ++col) {
    if (endsSubjects(cellText(sh, g.headerRow, col))) break;
    if (++passed > ModelLimits::subjectColumns)
      throw Failure(FailureKind::IndexOutOfRange, "科目列超过 " + std::to_string(passed - 1));
  }

  int16_t i = 1;
  for (std::string header; !(header = cellText(sh, g.headerRow, i)).empty(); i = addInteger(i, 1))
    g.headerTexts(i) = header;
  g.headerTexts(i) = std::string(ScoreSheetLayout::totalHeader);
  g.headerTexts(i + 1) = std::string(ScoreSheetLayout::classRankHeader);
  g.headerTexts(i + 2) = std::string(ScoreSheetLayout::schoolRankHeader);

  g.firstSubjectColumn = ScoreSheetLayout::firstSubjectColumn;
  g.lastSubjectColumn = addInteger(col, -1);
  g.subjectCount =
      addInteger(addInteger(g.lastSubjectColumn, static_cast<int16_t>(-g.firstSubjectColumn)), 1);

  // Counted in 16 bits: a sheet with more student rows than that is beyond the model.
  int16_t row = addInteger(g.headerRow, 1);
  while (isStudentRow(sh, row)) row = addInteger(row, 1);
  g.studentCount = toInteger(double(row) - g.headerRow - 1);
}

}  // namespace

bool isStudentRow(const host::Worksheet& sh, int row) {
  return !cellText(sh, row, ScoreSheetLayout::seatColumn).empty() ||
         !cellText(sh, row, ScoreSheetLayout::nameColumn).empty();
}

void findLayout(GradeBook& g, host::Worksheet& sh, host::Ui& ui) {
  try {
    discoverLayout(g, sh);
  } catch (const Failure&) {
    showLimitsMessage(ui);
  }
}

double countStudents(GradeBook& g, host::Worksheet& sh, host::Ui& ui) {
  attempt([&] { findLayout(g, sh, ui); });
  return g.studentCount;
}

}  // namespace valdrex
