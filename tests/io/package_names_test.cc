// Cell references, formulas, part names and number formats as a package spells them.
#include <gtest/gtest.h>

#include "valdrex/io/cell_reference.h"
#include "valdrex/io/formula_shift.h"
#include "valdrex/io/number_formats.h"
#include "valdrex/io/part_names.h"

namespace valdrex::io {
namespace {

TEST(CellReferenceTest, WithinTheSheetOnly) {
  EXPECT_EQ(parseCell("A1"), (CellPosition{1, 1}));
  EXPECT_EQ(parseCell("xfd1048576"), (CellPosition{1048576, 16384}));
  EXPECT_EQ(parseCell("AB12"), (CellPosition{12, 28}));
  for (const char* bad :
       {"", "A", "1", "A0", "A01", "XFE1", "A1048577", "AAAA1", "A1B", "$A$1", "A123456789012"})
    EXPECT_FALSE(parseCell(bad)) << bad;
  EXPECT_EQ(parseRange("C3:A1"), (host::Range{1, 1, 3, 3}));
  EXPECT_EQ(cellName(1048576, 16384), "XFD1048576");
}

// A shared formula moved to the cells it was filled into.
TEST(FormulaShiftTest, RelativePartsMoveAbsolutePartsStay) {
  struct {
    const char* formula;
    int dRow, dCol;
    const char* expected;
  } cases[] = {
      // clang-format off
      {"A1+B2", 1, 0, "A2+B3"}, {"$A1+A$1+$A$1", 2, 3, "$A3+D$1+$A$1"}, {"Z1", 0, 1, "AA1"},
      {"SUM(D2:K2)/COUNT(D2:K2)", 5, 0, "SUM(D7:K7)/COUNT(D7:K7)"}, {"XFD1", 0, 1, "#REF!"},
      {"A2-1", -1, 0, "A1-1"}, {"A1", -1, 0, "#REF!"}, {"成绩表!C3*0.5", 1, 1, "成绩表!D4*0.5"},
      {"'Sheet 1'!A1+'A1'!B1", 1, 0, "'Sheet 1'!A2+'A1'!B2"}, {"\"A1\"&A1", 1, 0, "\"A1\"&A2"},
      {"\"say \"\"B2\"\"\"&B2", 0, 1, "\"say \"\"B2\"\"\"&C2"},
      {"LOG10(A1)+ATAN2(B1,C1)", 1, 0, "LOG10(A2)+ATAN2(B2,C2)"},
      {"_xlfn.STDEV.S(A1:A9)", 1, 0, "_xlfn.STDEV.S(A2:A10)"},
      {"SUM(C:C)+SUM($D:E)", 4, 1, "SUM(D:D)+SUM($D:F)"},
      {"SUM(2:3)+SUM($5:$6)", 1, 4, "SUM(3:4)+SUM($5:$6)"},
      {"Table1[[#This Row],[A1]]+A1", 1, 0, "Table1[[#This Row],[A1]]+A2"},
      {"IF(A1>1.5E3,#N/A,TRUE)", 1, 0, "IF(A2>1.5E3,#N/A,TRUE)"},
      {"A15555555555+A1", 1, 0, "A15555555555+A2"},  // beyond the last row: no reference
      // clang-format on
  };
  for (const auto& c : cases)
    EXPECT_EQ(shiftFormula(c.formula, c.dRow, c.dCol), c.expected) << c.formula;
}

TEST(PartNamesTest, TargetsStayInsideThePackage) {
  struct {
    const char* source;
    const char* target;
    const char* expected;  // nullptr: refused
  } cases[] = {
      {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
      {"xl/workbook.xml", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
      {"xl/workbook.xml", "../customXml/item1.xml", "customXml/item1.xml"},
      {"xl/workbook.xml", "worksheets/sheet%201.xml", "xl/worksheets/sheet 1.xml"},
      {"", "xl/workbook.xml", "xl/workbook.xml"},
      {"xl/workbook.xml", "../../etc/passwd", nullptr},
      {"xl/workbook.xml", "file:///etc/passwd", nullptr},
      {"xl/workbook.xml", "worksheets\\sheet1.xml", nullptr},
      {"xl/workbook.xml", "sheet%zz.xml", nullptr},
      {"xl/workbook.xml", "", nullptr},
  };
  for (const auto& c : cases) {
    auto part = resolvePart(c.source, c.target);
    if (c.expected)
      EXPECT_EQ(part.value_or("<refused>"), c.expected) << c.target;
    else
      EXPECT_FALSE(part) << c.target << " -> " << *part;
  }
  EXPECT_EQ(relationshipsPartOf(""), "_rels/.rels");
  EXPECT_EQ(relationshipsPartOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
}

TEST(NumberFormatsTest, DateTokensOutsideQuotesAndBrackets) {
  for (const char* date : {"yyyy/m/d", "m/d/yy h:mm", "[$-804]yyyy\"年\"m\"月\"", "[h]:mm:ss",
                           "mm:ss.0", "dddd", "h\"时\"mm\"分\"", "[Red]yyyy-mm-dd"})
    EXPECT_TRUE(isDateFormatCode(date)) << date;
  for (const char* plain : {"General", "0.00", "#,##0;[Red]-#,##0", "0.0\"分\"", "@", "0.00E+00",
                            "\\d0", "0_m", "[$¥-804]#,##0.00", "0\"days\""})
    EXPECT_FALSE(isDateFormatCode(plain)) << plain;
  EXPECT_TRUE(isBuiltinDateFormat(14));
  EXPECT_TRUE(isBuiltinDateFormat(31));
  EXPECT_FALSE(isBuiltinDateFormat(2));
  EXPECT_FALSE(isBuiltinDateFormat(49));
}

}  // namespace
}  // namespace valdrex::io
