// Moving a shared formula to the cells it was filled into.
#include "io/formula_shift.h"

#include <gtest/gtest.h>

namespace valdrex::io {
namespace {

TEST(FormulaShiftTest, RelativePartsMoveAbsolutePartsStay) {
  struct {
    const char* formula;
    int dRow, dCol;
    const char* expected;
  } cases[] = {
      {"A1+B2", 1, 0, "A2+B3"},
      {"$A1+A$1+$A$1", 2, 3, "$A3+D$1+$A$1"},
      {"SUM(D2:K2)/COUNT(D2:K2)", 5, 0, "SUM(D7:K7)/COUNT(D7:K7)"},
      {"Z1", 0, 1, "AA1"},
      {"XFD1", 0, 1, "#REF!"},
      {"A2-1", -1, 0, "A1-1"},
      {"A1", -1, 0, "#REF!"},
      {"成绩表!C3*0.5", 1, 1, "成绩表!D4*0.5"},
      {"'Sheet 1'!A1+'A1'!B1", 1, 0, "'Sheet 1'!A2+'A1'!B2"},
      {"\"A1\"&A1", 1, 0, "\"A1\"&A2"},
      {"\"say \"\"B2\"\"\"&B2", 0, 1, "\"say \"\"B2\"\"\"&C2"},
      {"LOG10(A1)+ATAN2(B1,C1)", 1, 0, "LOG10(A2)+ATAN2(B2,C2)"},
      {"_xlfn.STDEV.S(A1:A9)", 1, 0, "_xlfn.STDEV.S(A2:A10)"},
      {"SUM(C:C)+SUM($D:E)", 4, 1, "SUM(D:D)+SUM($D:F)"},
      {"SUM(2:3)+SUM($5:$6)", 1, 4, "SUM(3:4)+SUM($5:$6)"},
      {"Table1[[#This Row],[A1]]+A1", 1, 0, "Table1[[#This Row],[A1]]+A2"},
      {"IF(A1>1.5E3,#N/A,TRUE)", 1, 0, "IF(A2>1.5E3,#N/A,TRUE)"},
      {"A15555555555+A1", 1, 0, "A15555555555+A2"},  // beyond the last row: no reference
  };
  for (const auto& c : cases)
    EXPECT_EQ(shiftFormula(c.formula, c.dRow, c.dCol), c.expected) << c.formula;
}

}  // namespace
}  // namespace valdrex::io
