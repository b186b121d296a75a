#include "valdrex/gradebook/loading.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "valdrex/gradebook/cell_text.h"
#include "valdrex/gradebook/class_names.h"
#include "valdrex/gradebook/limits_message.h"
#include "valdrex/gradebook/score_text.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/number_text.h"

namespace valdrex {

namespace {

using PS = PropertySheetLayout;

// The class slot whose name equals v, searching from slot 0 (the blank class) up to n;
// -1 when none does.
int findClass(const GradeBook& g, const std::string& v, int n) {
  for (int j = 0; j <= n; ++j)
    if (g.classNames(j) == v) return j;
  return -1;
}

void collectClasses(GradeBook& g, const host::Worksheet& sh) {
  int16_t n = 0;
  for (int16_t i = 1; i <= g.studentCount; ++i) {
    std::string v = cellText(sh, addInteger(g.headerRow, i), g.classColumn);
    int j = findClass(g, v, n);
    if (j < 0) {
      j = addInteger(n, 1);
      g.classNames(j) = v;
      n = static_cast<int16_t>(j);
    }
    g.classSizes(j) = addInteger(g.classSizes(j), 1);
  }
  g.classCount = n;
}

void loadMarkLines(GradeBook& g, const host::Worksheet& sx) {
  int16_t last = addInteger(g.subjectCount, 1);
  for (int r = 1; r <= PS::markLineRows; ++r)
    for (int j = 1; j <= last; ++j)
      g.markLines(r, j) = cellToInteger(
          halfWidthNumberCell(sx.cell(PS::fullMarkRow - 1 + r, PS::firstSubjectColumn - 1 + j)));
}

// One score cell scaled from the paper's full mark in the raw full mark row to the property sheet's
// full mark, rounded to one decimal.
Rounded scaledScore(const GradeBook& g, const host::Worksheet& sh, const std::string& text, int col,
                    int j) {
  double raw = leadingNumber(text);
  double full =
      leadingNumber(halfWidthNumberText(cellText(sh, ScoreSheetLayout::rawFullMarkRow, col)));
  if (full == 0)
    throw Failure(FailureKind::DivisionByZero, "第 " + std::to_string(col) + " 列的原始满分为 0");
  float x = toSingle(raw * g.markLines(1, j) / full);
  return tenths(double(x) * 10);
}

void loadStudent(GradeBook& g, const host::Worksheet& sh, int row, int c, int s,
                 const RoundingTrace& trace) {
  for (int k = 1; k <= g.firstSubjectColumn - 1; ++k) g.studentInfo(c, s, k) = cellText(sh, row, k);
  for (int j = 1; j <= g.subjectCount; ++j) {
    int col = g.firstSubjectColumn - 1 + j;
    std::string text = scoreText(cellText(sh, row, col));
    if (text.empty()) {
      g.scores(c, s, j) = kAbsent;
      continue;
    }
    g.scores(c, s, j) = toSingle(trace.keep(scaledScore(g, sh, text, col, j)));
    g.examineeCounts(c, j) = addInteger(g.examineeCounts(c, j), 1);
  }
}

// Every student row goes to the class its own class cell names, so rows of a class need not
// stand together. Rows of the blank class or of a class not loaded are left out.
void loadStudents(GradeBook& g, const host::Worksheet& sh, const RoundingTrace& trace) {
  Table1<int16_t, kClassSlots> placed;
  for (int16_t i = 1; i <= g.studentCount; ++i) {
    int16_t row = addInteger(g.headerRow, i);
    int c = findClass(g, cellText(sh, row, g.classColumn), g.classCount);
    if (c <= 0) continue;
    placed(c) = addInteger(placed(c), 1);
    loadStudent(g, sh, row, c, placed(c), trace);
  }
}

// Each class takes the teacher row of its own name (pairClassRows); rows no class takes follow
// the classes' rows. A 21st row fails as the table ends, after the others are stored.
void loadTeachers(GradeBook& g, const host::Worksheet& sx, int last) {
  std::vector<std::string> names;
  for (int r = 1; r <= ModelLimits::teacherRows + 1; ++r) {
    std::string name = cellText(sx, PS::firstClassRow - 1 + r, PS::labelColumn);
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  std::vector<std::string> classes;
  for (int c = 1; c <= g.classCount; ++c) classes.push_back(g.classNames(c));
  const ClassRowPairing pairing = pairClassRows(classes, names);
  std::vector<int> rowOfSlot = pairing.rowOf;
  std::vector<bool> taken(names.size(), false);
  for (int i : rowOfSlot)
    if (i >= 0) taken[i] = true;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (!taken[i]) rowOfSlot.push_back(static_cast<int>(i));
  for (std::size_t k = 0; k < rowOfSlot.size(); ++k) {
    if (rowOfSlot[k] < 0) continue;
    const int slot = static_cast<int>(k) + 1;
    for (int j = 1; j <= last; ++j)
      g.teacherNames(slot, j) =
          cellText(sx, PS::firstClassRow + rowOfSlot[k], PS::firstSubjectColumn - 1 + j);
  }
}

void loadSettings(GradeBook& g, const host::Worksheet& sx) {
  int16_t last = addInteger(g.subjectCount, 1);
  for (int r = 1; r <= PS::weightRows; ++r)
    for (int j = 1; j <= last; ++j)
      g.weights(r, j) = cellToSingle(
          halfWidthNumberCell(sx.cell(PS::firstWeightRow - 1 + r, PS::firstSubjectColumn - 1 + j)));
  g.lowRateLabel = cellText(sx, PS::lowRateLabelRow, PS::labelColumn);
  loadTeachers(g, sx, last);
}

}  // namespace

void loadClasses(GradeBook& g, host::Worksheet& sh, host::Ui& ui) {
  try {
    collectClasses(g, sh);
  } catch (const Failure&) {
    showLimitsMessage(ui);
  }
}

int16_t countClasses(GradeBook& g, host::Worksheet& scoreSheet, host::Worksheet& propertySheet,
                     host::Ui& ui) {
  attempt([&] { loadClasses(g, scoreSheet, ui); });
  for (int c = 1; c <= g.classCount; ++c)
    attempt([&] {
      propertySheet.setCell(PS::firstClassRow - 1 + c, PS::labelColumn, g.classNames(c));
    });
  // Names left from a longer earlier list are cleared; a row the host cannot read ends the list.
  for (int row = PS::firstClassRow + g.classCount;; ++row) {
    bool filled = false;
    if (!attempt([&] { filled = !cellText(propertySheet, row, PS::labelColumn).empty(); }) ||
        !filled)
      break;
    attempt([&] { propertySheet.setCell(row, PS::labelColumn, Variant::text("")); });
  }
  return g.classCount;
}

void loadScores(GradeBook& g, host::Worksheet& sh, host::Worksheet* sx, host::Ui& ui,
                const RoundingTrace& trace) {
  try {
    if (sx == nullptr) throw Failure(FailureKind::HostError, "找不到" + std::string(PS::name));
    loadMarkLines(g, *sx);
    loadStudents(g, sh, trace);
    loadSettings(g, *sx);
  } catch (const Failure&) {
    showLimitsMessage(ui);
  }
}

void sumTotals(GradeBook& g) {
  const int total = g.subjectCount + 1;
  for (int c = 1; c <= g.classCount; ++c) {
    int size = 0;
    if (!attempt([&] { size = g.classSizes(c); })) continue;
    for (int s = 1; s <= size; ++s) {
      // Scores carry one decimal: summed in whole tenths, equal totals are equal and a total
      // of 600 is 600, not a single-precision sum a hair below it.
      int64_t tenthsSum = 0;
      bool sat = false;
      for (int j = 1; j <= g.subjectCount; ++j)
        attempt([&] {
          float v = g.scores(c, s, j);
          if (!(v >= 0)) return;
          tenthsSum += std::llround(double(v) * 10);
          sat = true;
        });
      // Without a single score the student did not sit the exam and has no total.
      attempt([&] { g.scores(c, s, total) = sat ? toSingle(double(tenthsSum) / 10) : kAbsent; });
    }
  }
}

}  // namespace valdrex
