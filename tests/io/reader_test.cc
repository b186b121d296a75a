// Reading packages built part by part: every kind of cell value, formats, and the structure of
// the workbook as producers other than ours write it.
#include <gtest/gtest.h>

#include "io_support.h"
#include "valdrex/io/xlsx_reader.h"

namespace valdrex::io {
namespace {

using namespace testing;
using host::MemoryWorkbook;

std::unique_ptr<MemoryWorkbook> readSpec(const PackageSpec& spec) {
  std::string bytes = packageOf(spec);
  return readWorkbookFromMemory(bytes, "test.xlsx");
}

std::unique_ptr<MemoryWorkbook> readOneSheet(const std::string& body,
                                             const std::string& sharedStrings = "",
                                             const std::string& styles = "") {
  return readSpec({{{"Sheet1", sheetXml(body)}}, sharedStrings, styles, ""});
}

const char* kStyles =
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
  <numFmts count="2">
    <numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/>
    <numFmt numFmtId="165" formatCode="0.0&quot;分&quot;"/>
  </numFmts>
  <borders count="3">
    <border><left/><right/><top/><bottom/></border>
    <border><left style="thin"/><right style="thin"/><top style="thin"/><bottom style="thin"/></border>
    <border><left/><right/><top style="medium"/><bottom style="none"/></border>
  </borders>
  <cellStyleXfs count="1"><xf numFmtId="0" borderId="1"/></cellStyleXfs>
  <cellXfs count="5">
    <xf numFmtId="0" borderId="0"/>
    <xf numFmtId="14" borderId="0"/>
    <xf numFmtId="164" borderId="1"><alignment horizontal="center"/></xf>
    <xf numFmtId="165" borderId="2"><alignment horizontal="right"/></xf>
    <xf numFmtId="2" borderId="0"><alignment horizontal="left"/></xf>
  </cellXfs>
  <dxfs count="1"><dxf><border><left style="thick"/></border></dxf></dxfs>
</styleSheet>)";

TEST(XlsxReaderTest, CellValuesOfEveryKind) {
  auto book = readOneSheet(
      R"(<sheetData>
        <row r="1">
          <c r="A1" t="s"><v>0</v></c>
          <c r="B1" t="s"><v>1</v></c>
          <c r="C1"><v>87.5</v></c>
          <c r="D1" t="b"><v>1</v></c>
          <c r="E1" t="e"><v>#DIV/0!</v></c>
          <c r="F1" t="inlineStr"><is><t xml:space="preserve"> 20以下 </t></is></c>
          <c r="G1" t="inlineStr"><is><r><t>班</t></r><r><rPr><b/></rPr><t>级</t></r></is></c>
          <c r="H1" t="s"><v>2</v></c>
          <c r="I1"><v>1E-3</v></c>
          <c r="J1" t="d"><v>2024-03-01T12:00:00</v></c>
          <c r="K1" t="s"><v>3</v></c>
          <c r="L1"/>
        </row>
        <row r="3"><c r="A3" t="b"><v>0</v></c><c><v>-2</v></c><c r="D3" t="str"><v></v></c></row>
      </sheetData>)",
      R"(<si><t>语文</t></si>
         <si><r><t>总</t></r><r><rPr><i/></rPr><t>分</t></r><rPh><t>ゾウ</t></rPh></si>
         <si><t>行1_x000D_行2_x005F_x0041_</t></si>
         <si><t></t></si>)");
  const auto& s = book->sheetAt(0);
  struct {
    int row, col;
    Variant expected;
  } cases[] = {
      {1, 1, Variant("语文")},
      {1, 2, Variant("总分")},  // rich runs joined, phonetic guide left out
      {1, 3, Variant::number(87.5)},
      {1, 4, Variant::boolean(true)},
      {1, 5, Variant::error("#DIV/0!")},
      {1, 6, Variant(" 20以下 ")},  // read as stored, never as typed input
      {1, 7, Variant("班级")},
      {1, 8, Variant("行1\r行2_x0041_")},
      {1, 9, Variant::number(0.001)},
      {1, 10, Variant::date(45352.5)},
      {1, 11, Variant()},
      {3, 1, Variant::boolean(false)},
      {3, 2, Variant::number(-2)},  // no reference: the column after the previous cell
      {3, 4, Variant()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(s.cell(c.row, c.col), c.expected) << "row " << c.row << " col " << c.col;
  EXPECT_EQ(s.find(1, 12), nullptr) << "an empty unformatted cell is not kept";
}

// How the shared formula is moved is tested with the shifting itself; here, from which anchor.
TEST(XlsxReaderTest, FormulasKeepTextAndCachedValue) {
  auto book = readOneSheet(R"(<sheetData>
      <row r="1"><c r="A1"><v>2</v></c><c r="B1"><f>A1*2</f><v>4</v></c>
        <c r="C1" t="str"><f>"总"&amp;"分"</f><v>总分</v></c>
        <c r="D1"><f>SUM(A1:B1)</f></c>
        <c r="E1" t="e"><f>1/0</f><v>#DIV/0!</v></c></row>
      <row r="2"><c r="B2"><f t="shared" ref="B2:C4" si="0">$A2+A$1+SUM(A2:A3)</f><v>1</v></c></row>
      <row r="4"><c r="C4"><f t="shared" si="0"/><v>4</v></c>
        <c r="D4"><f t="dataTable" ref="D4:D5" dt2D="0" dtr="0" r1="A1"/><v>9</v></c></row>
    </sheetData>)");
  const auto& s = book->sheetAt(0);
  struct {
    int row, col;
    std::string formula;
    Variant value;
  } cases[] = {
      {1, 2, "A1*2", Variant::number(4)},
      {1, 3, "\"总\"&\"分\"", Variant("总分")},
      {1, 4, "SUM(A1:B1)", Variant()},  // saved without a result
      {1, 5, "1/0", Variant::error("#DIV/0!")},
      {2, 2, "$A2+A$1+SUM(A2:A3)", Variant::number(1)},
      {4, 3, "$A4+B$1+SUM(B4:B5)", Variant::number(4)},
      {4, 4, "", Variant::number(9)},
  };
  for (const auto& c : cases) {
    const host::Cell* cell = s.find(c.row, c.col);
    ASSERT_NE(cell, nullptr) << c.row << "," << c.col;
    EXPECT_EQ(cell->formula, c.formula) << c.row << "," << c.col;
    EXPECT_EQ(cell->value, c.value) << c.row << "," << c.col;
  }
}

// Which number formats are dates is settled elsewhere; here, that the style index leads to them.
TEST(XlsxReaderTest, DatesFollowTheNumberFormatOfTheCellsStyle) {
  auto book = readOneSheet(R"(<sheetData><row r="1">
      <c r="A1" s="1"><v>45352</v></c>
      <c r="B1" s="2"><v>45353</v></c>
      <c r="C1" s="3"><v>45354</v></c>
      <c r="D1" s="1" t="s"><v>0</v></c>
      <c r="E1" s="99"><v>7</v></c>
    </row></sheetData>)",
                           "<si><t>2024/3/1</t></si>", kStyles);
  const auto& s = book->sheetAt(0);
  EXPECT_EQ(s.cell(1, 1), Variant::date(45352));  // built-in date format
  EXPECT_EQ(s.cell(1, 2), Variant::date(45353));  // custom, with quoted text
  EXPECT_EQ(s.cell(1, 3), Variant::number(45354)) << "a custom format that is no date";
  EXPECT_EQ(s.cell(1, 4), Variant("2024/3/1")) << "a text stays text in a date format";
  EXPECT_EQ(s.cell(1, 5), Variant::number(7)) << "a style the table lacks is the default";
}

TEST(XlsxReaderTest, FormatsMergesWidthsAndRowFormats) {
  auto book = readOneSheet(R"(<cols>
        <col min="1" max="2" width="12.5" customWidth="1"/>
        <col min="3" max="1024" width="9.14" customWidth="0"/>
      </cols>
      <sheetData>
        <row r="1" s="2" customFormat="1"><c r="A1" s="2"><v>1</v></c><c r="B1" s="3"/></row>
        <row r="2" s="4"><c r="A2" s="4"><v>1.5</v></c><c r="C2" s="0"/></row>
      </sheetData>
      <mergeCells count="2"><mergeCell ref="A1:C1"/><mergeCell ref="D5"/></mergeCells>)",
                           "", kStyles);
  const auto& s = book->sheetAt(0);
  const host::Cell* a1 = s.find(1, 1);
  ASSERT_NE(a1, nullptr);
  EXPECT_EQ(a1->format.borders,
            host::kEdgeLeft | host::kEdgeRight | host::kEdgeTop | host::kEdgeBottom);
  EXPECT_EQ(a1->format.align, host::HAlign::Center);
  EXPECT_EQ(a1->format.numberFormat, "yyyy\"年\"m\"月\"d\"日\"");

  const host::Cell* b1 = s.find(1, 2);
  ASSERT_NE(b1, nullptr) << "a cell with a format and no value is kept";
  EXPECT_EQ(b1->format.borders, host::kEdgeTop) << "a medium line is kept as a line; none is not";
  EXPECT_EQ(b1->format.align, host::HAlign::Right);

  EXPECT_EQ(s.find(2, 1)->format.numberFormat, "0.00");
  EXPECT_EQ(s.find(2, 1)->format.align, host::HAlign::Left);
  EXPECT_EQ(s.find(2, 3), nullptr);

  ASSERT_NE(s.rowFormat(1), nullptr);
  EXPECT_EQ(s.rowFormat(1)->align, host::HAlign::Center);
  EXPECT_EQ(s.rowFormat(2), nullptr) << "a row style without customFormat does not apply";

  EXPECT_EQ(s.merges(), (std::vector<host::Range>{{1, 1, 1, 3}}));
  EXPECT_EQ(s.columnWidths(), (std::map<int, double>{{1, 12.5}, {2, 12.5}}));
}

TEST(XlsxReaderTest, SheetsInWorkbookOrderWithTheirNamesAndStates) {
  Parts parts = packageParts({{{"a", sheetXml("")}, {"b", sheetXml("")}}, "", "", ""});
  // Sheet order is the workbook's, not the part names'; targets may be absolute.
  parts["xl/workbook.xml"] =
      std::string("<x:workbook xmlns:x=\"") + kMain + "\" xmlns:r=\"" + kRel +
      "\"><x:bookViews><x:workbookView activeTab=\"1\"/></x:bookViews>"
      "<x:sheets><x:sheet name=\"成绩表\" sheetId=\"9\" r:id=\"rId2\"/>"
      "<x:sheet name=\"图表\" sheetId=\"3\" r:id=\"rC\"/>"
      "<x:sheet name=\"属性表\" sheetId=\"1\" r:id=\"rId1\" state=\"hidden\"/>"
      "</x:sheets></x:workbook>";
  parts["xl/_rels/workbook.xml.rels"] =
      std::string(
          "<Relationships "
          "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">") +
      "<Relationship Id=\"rId1\" Type=\"" + kRel +
      "/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/>" + "<Relationship Id=\"rId2\" Type=\"" +
      kRel + "/worksheet\" Target=\"./worksheets/../worksheets/sheet2.xml\"/>" +
      "<Relationship Id=\"rC\" Type=\"" + kRel +
      "/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>" +
      "<Relationship Id=\"rV\" "
      "Type=\"http://schemas.microsoft.com/office/2006/relationships/vbaProject\" "
      "Target=\"vbaProject.bin\"/>" +
      "</Relationships>";
  parts["xl/worksheets/sheet2.xml"] =
      sheetXml("<x:sheetData xmlns:x=\"" + std::string(kMain) +
               "\"><x:row r=\"2\"><x:c r=\"B2\" "
               "t=\"inlineStr\"><x:is><x:t>张三</x:t></x:is></x:c></x:row></x:sheetData>");
  parts["xl/vbaProject.bin"] = std::string("\xD0\xCF\x11\xE0\0macro\0", 11);
  std::string bytes = zipOf(parts);
  auto book = readWorkbookFromMemory(bytes, "m.xlsm");

  ASSERT_EQ(book->sheetCount(), 2u) << "the chart sheet has no cells and is left out";
  EXPECT_EQ(book->sheetAt(0).name(), "成绩表");
  EXPECT_EQ(book->sheetAt(1).name(), "属性表");
  EXPECT_EQ(book->sheetAt(0).cell(2, 2), Variant("张三"));
  EXPECT_TRUE(book->sheetAt(0).visible());
  EXPECT_FALSE(book->sheetAt(1).visible());
  EXPECT_EQ(book->vbaProject, parts["xl/vbaProject.bin"]);
  EXPECT_EQ(book->activeSheet, 0u) << "the active tab was the chart sheet";
}

TEST(XlsxReaderTest, FarOffCellStaysSparse) {
  ReadLimits everything;
  everything.keptRows = host::kMaxRows;
  everything.keptColumns = host::kMaxColumns;
  auto book = readWorkbookFromMemory(
      packageOf({{{"Sheet1", sheetXml(R"(<sheetData><row r="1048576"><c r="XFD1048576"><v>1</v>)"
                                      "</c></row></sheetData>")}},
                 "",
                 "",
                 ""}),
      "test.xlsx", everything);
  EXPECT_EQ(book->sheetAt(0).cellCount(), 1u);
  EXPECT_EQ(book->sheetAt(0).cell(1048576, 16384), Variant::number(1));
}

}  // namespace
}  // namespace valdrex::io
