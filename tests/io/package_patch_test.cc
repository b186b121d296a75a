// Writing a workbook read from a file changes only what the model changed: every other part is
// copied as it was, a rewritten sheet keeps its own settings, and the bookkeeping parts keep
// everything they held.
#include <gtest/gtest.h>

#include <random>

#include "io_support.h"
#include "support/sheet_dump.h"
#include "valdrex/io/written_mark.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"

namespace valdrex::io {
namespace {

using namespace testing;

bool has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

// A teacher's workbook in miniature: a score sheet, a report sheet with settings of its own, a
// chart sheet, defined names, a calculation chain, document properties and a part no reader
// knows.
Parts teacherPackage() {
  PackageSpec spec;
  spec.workbookPr = "<workbookPr date1904=\"1\" codeName=\"本工作簿\"/>";
  spec.sheets = {
      {"成绩表", sheetXml("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>")},
      {"两率一分",
       sheetXml(
           "<sheetPr codeName=\"Sheet9\"><tabColor rgb=\"FFFF0000\"/></sheetPr>"
           "<dimension ref=\"A1:B9\"/><sheetViews><sheetView zoomScale=\"85\" "
           "workbookViewId=\"0\"><pane ySplit=\"3\" topLeftCell=\"A4\" state=\"frozen\"/>"
           "</sheetView></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>"
           "<cols><col min=\"1\" max=\"1\" width=\"20\" customWidth=\"1\"/></cols>"
           "<sheetData><row r=\"1\" ht=\"30\" customHeight=\"1\"><c r=\"A1\"><v>5</v></c></row>"
           "<row r=\"9\"><c r=\"B9\"><f>A1*2</f><v>10</v></c></row></sheetData>"
           "<sheetProtection sheet=\"1\"/><mergeCells count=\"1\"><mergeCell ref=\"A2:B2\"/>"
           "</mergeCells><conditionalFormatting sqref=\"A1:B9\"><cfRule type=\"cellIs\" "
           "dxfId=\"0\" priority=\"1\" operator=\"greaterThan\"><formula>5</formula></cfRule>"
           "</conditionalFormatting><conditionalFormatting sqref=\"Z50\"><cfRule "
           "type=\"cellIs\" dxfId=\"0\" priority=\"2\" operator=\"lessThan\"><formula>1"
           "</formula></cfRule></conditionalFormatting><pageMargins left=\"0.5\" "
           "right=\"0.5\" top=\"1\" bottom=\"1\" header=\"0.3\" footer=\"0.3\"/><pageSetup "
           "orientation=\"landscape\"/><drawing r:id=\"rId1\"/>")}};
  Parts parts = packageParts(spec);
  std::string& workbook = parts["xl/workbook.xml"];
  workbook.replace(workbook.find("</sheets>"), 9,
                   "<sheet name=\"图表\" sheetId=\"7\" r:id=\"rC\"/></sheets><definedNames>"
                   "<definedName name=\"语文成绩\">成绩表!$A$1:$A$9</definedName><definedName "
                   "name=\"_xlnm.Print_Titles\" localSheetId=\"1\">两率一分!$1:$3</definedName>"
                   "</definedNames><calcPr calcId=\"191029\"/>");
  std::string& rels = parts["xl/_rels/workbook.xml.rels"];
  rels.replace(rels.find("</Relationships>"), 16,
               std::string("<Relationship Id=\"rC\" Type=\"") + kRel +
                   "/chartsheet\" Target=\"chartsheets/sheet1.xml\"/><Relationship Id=\"rK\" "
                   "Type=\"" +
                   kRel + "/calcChain\" Target=\"calcChain.xml\"/></Relationships>");
  parts["[Content_Types].xml"] =
      "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
      "content-types\"><Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
      "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/></Types>";
  parts["xl/calcChain.xml"] = "<calcChain><c r=\"B9\" i=\"2\"/></calcChain>";
  parts["xl/chartsheets/sheet1.xml"] = "<chartsheet><drawing r:id=\"x\"/></chartsheet>";
  parts["xl/worksheets/_rels/sheet2.xml.rels"] = "<Relationships>drawing</Relationships>";
  parts["xl/drawings/drawing1.xml"] = std::string(3000, 'd');
  parts["customXml/item1.xml"] = "<teacher>own data</teacher>";
  parts["docProps/app.xml"] =
      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "extended-properties\" xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "docPropsVTypes\"><HeadingPairs><vt:vector size=\"4\" baseType=\"variant\"><vt:variant>"
      "<vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>2</vt:i4></vt:variant>"
      "<vt:variant><vt:lpstr>Named Ranges</vt:lpstr></vt:variant><vt:variant><vt:i4>1</vt:i4>"
      "</vt:variant></vt:vector></HeadingPairs><TitlesOfParts><vt:vector size=\"3\" "
      "baseType=\"lpstr\"><vt:lpstr>成绩表</vt:lpstr><vt:lpstr>两率一分</vt:lpstr><vt:lpstr>"
      "语文成绩</vt:lpstr></vt:vector></TitlesOfParts></Properties>";
  return parts;
}

TEST(PackagePatchTest, OnlyWhatChangedIsRewritten) {
  ScratchFolder dir;
  const Parts before = teacherPackage();
  const std::string input = zipOf(before);
  { std::ofstream(dir.file("in.xlsx"), std::ios::binary) << input; }
  auto book = readWorkbook(dir.file("in.xlsx"));
  ASSERT_EQ(book->sheetsWithoutCells, std::vector<std::string>{"图表"});
  host::MemorySheet& report = *book->find("两率一分");
  report.deleteCells(report.usedRange());
  report.setCell(1, 1, Variant("新标题"));
  report.setCell(2, 3, Variant::date(1462.5));  // noon on the 1904 system's first day
  book->addSheet("完成率表").setCell(1, 1, Variant::number(1));
  writeWorkbook(*book, dir.file("out.xlsx"));
  Parts after = partsOf(slurp(dir.file("out.xlsx")));

  // Parts nobody touched, byte for byte, and copied as they were stored, never inflated.
  Parts storedBefore = partsOf(input, true),
        storedAfter = partsOf(slurp(dir.file("out.xlsx")), true);
  for (const char* part :
       {"xl/worksheets/sheet1.xml", "xl/chartsheets/sheet1.xml",
        "xl/worksheets/_rels/sheet2.xml.rels", "xl/drawings/drawing1.xml", "customXml/item1.xml"}) {
    EXPECT_EQ(after[part], before.at(part)) << part;
    EXPECT_EQ(storedAfter[part], storedBefore[part]) << part;
  }

  // The rewritten sheet: its cells are new, its settings are its own.
  const std::string& sheet = after["xl/worksheets/sheet2.xml"];
  for (const char* kept :
       {"<sheetPr codeName=\"Sheet9\"><tabColor rgb=\"FFFF0000\"/></sheetPr>", "zoomScale=\"85\"",
        "<pane ySplit=\"3\" topLeftCell=\"A4\" state=\"frozen\"/>", "width=\"20\"",
        "<sheetProtection sheet=\"1\"/>", "<pageSetup orientation=\"landscape\"/>",
        "<drawing r:id=\"rId1\"/>", "sqref=\"Z50\"", "<row r=\"1\" ht=\"30\" customHeight=\"1\">"})
    EXPECT_TRUE(has(sheet, kept)) << kept << "\n" << sheet;
  EXPECT_FALSE(has(sheet, "sqref=\"A1:B9\"")) << "a format of the deleted cells goes with them";
  EXPECT_FALSE(has(sheet, "A1*2"));
  EXPECT_TRUE(has(sheet, "<is><t>新标题</t></is>"));
  EXPECT_TRUE(has(sheet, "<v>0.5</v>")) << "dates are written in the workbook's own date system";
  EXPECT_LT(sheet.find("<sheetProtection"), sheet.find("<pageMargins"));

  // Bookkeeping parts keep what they held and learn about the new sheet.
  const std::string& workbook = after["xl/workbook.xml"];
  for (const char* kept :
       {"date1904=\"1\" codeName=\"本工作簿\"",
        "<definedName name=\"语文成绩\">成绩表!$A$1:$A$9</definedName>",
        "localSheetId=\"1\">两率一分!$1:$3", "<sheet name=\"图表\" sheetId=\"7\"",
        "<sheet name=\"完成率表\" sheetId=\"8\" r:id=\"rId3\"/>", "fullCalcOnLoad=\"1\""})
    EXPECT_TRUE(has(workbook, kept)) << kept << "\n" << workbook;
  EXPECT_EQ(after.count("xl/calcChain.xml"), 0u) << "the chain named a formula that is gone";
  EXPECT_FALSE(has(after["[Content_Types].xml"], "calcChain"));
  EXPECT_TRUE(has(after["[Content_Types].xml"], "/xl/worksheets/sheet3.xml"));
  EXPECT_TRUE(has(after["xl/_rels/workbook.xml.rels"], "Target=\"worksheets/sheet3.xml\""));
  EXPECT_TRUE(has(after["docProps/app.xml"],
                  "<vt:lpstr>两率一分</vt:lpstr><vt:lpstr>完成率表</vt:lpstr><vt:lpstr>语文成绩"));
  EXPECT_TRUE(has(after["docProps/app.xml"], "<vt:i4>3</vt:i4>"));

  // And the model reads back what it wrote.
  auto back = readWorkbook(dir.file("out.xlsx"));
  EXPECT_EQ(back->find("两率一分")->cell(1, 1), Variant("新标题"));
  EXPECT_EQ(back->find("两率一分")->cell(2, 3), Variant::date(1462.5));
  EXPECT_EQ(back->find("完成率表")->cell(1, 1), Variant::number(1));

  // A workbook written again without changes is the same package.
  writeWorkbook(*back, dir.file("again.xlsx"));
  EXPECT_EQ(partsOf(slurp(dir.file("again.xlsx"))), after);
}

// A result carries a mark of every other part, so that a later save can tell it untouched; the
// teacher's own custom properties stay, and a result rewritten keeps one mark.
TEST(PackagePatchTest, AResultIsMarkedSoALaterSaveKnowsItUntouched) {
  ScratchFolder dir;
  Parts parts = teacherPackage();
  parts["docProps/custom.xml"] =
      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "custom-properties\" xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "docPropsVTypes\"><property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"5\" "
      "name=\"老师\"><vt:lpwstr>王</vt:lpwstr></property></Properties>";
  parts["_rels/.rels"].insert(parts["_rels/.rels"].find("</Relationships>"),
                              "<Relationship Id=\"rX\" Type=\"" + std::string(kRel) +
                                  "/custom-properties\" Target=\"docProps/custom.xml\"/>");
  for (bool teacherProperties : {false, true}) {
    Parts input = parts;
    if (!teacherProperties) {
      input.erase("docProps/custom.xml");
      input["_rels/.rels"] = packageParts({})["_rels/.rels"];
    }
    { std::ofstream(dir.file("in.xlsx"), std::ios::binary) << zipOf(input); }
    auto book = readWorkbook(dir.file("in.xlsx"));
    book->find("两率一分")->setCell(1, 1, Variant("新标题"));
    writeWorkbook(*book, dir.file("plain.xlsx"));
    EXPECT_FALSE(unchangedResult(dir.file("plain.xlsx"))) << "only results are marked";
    writeWorkbook(*book, dir.file("out.xlsx"), true);
    EXPECT_TRUE(unchangedResult(dir.file("out.xlsx")));
    Parts out = partsOf(slurp(dir.file("out.xlsx")));
    EXPECT_TRUE(has(out["_rels/.rels"], "Target=\"xl/workbook.xml\""));
    EXPECT_EQ(has(out["docProps/custom.xml"], "name=\"老师\"><vt:lpwstr>王</vt:lpwstr>"),
              teacherProperties);
    EXPECT_TRUE(has(out["docProps/custom.xml"],
                    teacherProperties ? "pid=\"6\" name=\"Valdrex" : "pid=\"2\" name=\"Valdrex"));
    EXPECT_TRUE(has(out["[Content_Types].xml"], "/docProps/custom.xml"));

    // Read and written again: still one mark, still matching.
    writeWorkbook(*readWorkbook(dir.file("out.xlsx")), dir.file("again.xlsx"), true);
    const std::string again = partsOf(slurp(dir.file("again.xlsx")))["docProps/custom.xml"];
    EXPECT_EQ(again.find("Valdrex写入摘要"), again.rfind("Valdrex写入摘要"));
    EXPECT_TRUE(unchangedResult(dir.file("again.xlsx")));

    // One byte of one part changed, or a part added: no longer what was written.
    for (const char* part : {"customXml/item1.xml", "xl/new.xml"}) {
      Parts edited = partsOf(slurp(dir.file("out.xlsx")));
      edited[part] += " ";
      { std::ofstream(dir.file("edited.xlsx"), std::ios::binary) << zipOf(edited); }
      EXPECT_FALSE(unchangedResult(dir.file("edited.xlsx"))) << part;
    }
  }
}

// The workbook part's lists as producers write them: every added sheet's print titles go into the
// one list, whatever its form, and the part stays one well-formed element.
TEST(PackagePatchTest, PrintTitlesOfManyNewSheetsShareOneList) {
  const struct {
    const char* names;  // what follows </sheets> in the workbook part
    const char* close;  // the part's end tag
  } cases[] = {
      {"<definedNames/><calcPr calcId=\"1\"/>", "</workbook>"},  // as openpyxl writes it
      {"<definedNames />", "</workbook>"},
      {"<definedNames></definedNames><calcPr/>", "</workbook>"},
      {"<definedNames><definedName name=\"a\">成绩表!$A$1</definedName></definedNames>",
       "</workbook>"},
      {"<calcPr calcId=\"1\"/>", "</workbook>"},
  };
  for (const auto& c : cases) {
    ScratchFolder dir;
    PackageSpec spec;
    spec.sheets = {{"成绩表", sheetXml("<sheetData/>")}};
    Parts parts = packageParts(spec);
    std::string& workbook = parts["xl/workbook.xml"];
    workbook.replace(workbook.find("</sheets>"), 9, std::string("</sheets>") + c.names);
    { std::ofstream(dir.file("in.xlsx"), std::ios::binary) << zipOf(parts); }
    auto book = readWorkbook(dir.file("in.xlsx"));
    for (const char* name : {"两率一分", "完成率表", "分数段统计"})
      book->addSheet(name).setPrintLayout(printLayout(false, true, 1, 2));
    writeWorkbook(*book, dir.file("out.xlsx"));
    const std::string out = partsOf(slurp(dir.file("out.xlsx")))["xl/workbook.xml"];
    EXPECT_EQ(out.find(c.close), out.size() - std::string(c.close).size()) << c.names << out;
    std::size_t titles = 0;
    for (std::size_t at = out.find("_xlnm.Print_Titles"); at != std::string::npos;
         at = out.find("_xlnm.Print_Titles", at + 1))
      ++titles;
    EXPECT_EQ(titles, 3u) << c.names;
    EXPECT_EQ(readWorkbook(dir.file("out.xlsx"))->sheetCount(), 4u);
  }
}

// Whatever a workbook holds and whatever shape its package had, what is written reads back with
// the same values: random workbooks over random package shapes.
TEST(PackagePatchTest, RandomWorkbooksReadBackAsWritten) {
  const char* const listForms[] = {"", "<definedNames/>", "<definedNames></definedNames>",
                                   "<definedNames><definedName name=\"n\">$A$1</definedName>"
                                   "</definedNames>"};
  const char* const texts[] = {"语文", "a<b>&\"c'", "\x01\x1f控制", "_x0041_",
                               "  ",   "😀",         "=1+1",         "0501"};
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    ScratchFolder dir;
    PackageSpec spec;
    for (int i = 0, n = 1 + pick(3); i < n; ++i)
      spec.sheets.push_back({"表" + std::to_string(i), sheetXml("<sheetData/>")});
    Parts parts = packageParts(spec);
    std::string& workbook = parts["xl/workbook.xml"];
    workbook.insert(workbook.find("</sheets>") + 9, listForms[pick(4)]);
    { std::ofstream(dir.file("in.xlsx"), std::ios::binary) << zipOf(parts); }
    auto book = readWorkbook(dir.file("in.xlsx"));
    for (int i = 0, n = pick(5); i < n; ++i) {
      host::MemorySheet& sheet =
          book->addSheet("新" + std::string(texts[i % 2]).substr(0, 3) + std::to_string(i));
      if (pick(2)) sheet.setPrintLayout(printLayout(pick(2) == 1, pick(2) == 1, 1, 1 + pick(3)));
    }
    for (std::size_t i = 0; i < book->sheetCount(); ++i)
      for (int k = 0, n = pick(30); k < n; ++k) {
        const int row = 1 + pick(40), col = 1 + pick(12);
        book->sheetAt(i).setCell(
            row, col,
            pick(2) ? Variant::number(pick(1000) / 8.0) : Variant(std::string(texts[pick(8)])));
      }
    writeWorkbook(*book, dir.file("out.xlsx"), pick(2) == 1);
    auto back = readWorkbook(dir.file("out.xlsx"));
    EXPECT_EQ(valdrex::testing::dump(*back), valdrex::testing::dump(*book)) << "seed " << seed;
  }
}

// Cells beyond the rows and columns the reader keeps stay in the file while their sheet is copied
// as stored; writing such a sheet from the model, which lacks them, is refused, never cut short.
TEST(PackagePatchTest, ASheetWithCellsNotKeptIsCopiedOrRefused) {
  ScratchFolder dir;
  PackageSpec spec;
  spec.sheets = {
      {"成绩表", sheetXml("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"F1\"><v>2</v>"
                          "</c></row></sheetData>")},
      {"输出表", sheetXml("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row "
                          "r=\"11\"><c r=\"A11\"><v>3</v></c></row></sheetData>")},
      {"备注", sheetXml("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>")}};
  ReadLimits limits;
  limits.keptRows = 10;
  limits.keptColumns = 5;
  auto book = readWorkbookFromMemory(packageOf(spec), "in.xlsx", limits);
  EXPECT_EQ(book->find("成绩表")->cellCount(), 1u);
  EXPECT_EQ(book->find("输出表")->cellCount(), 1u);

  book->find("备注")->setCell(1, 1, Variant::number(5));
  writeWorkbook(*book, dir.file("out.xlsx"));
  Parts after = partsOf(slurp(dir.file("out.xlsx")));
  EXPECT_EQ(after["xl/worksheets/sheet1.xml"], spec.sheets[0].second);
  EXPECT_EQ(after["xl/worksheets/sheet2.xml"], spec.sheets[1].second);

  // The report's row 11, and the score sheet's column F, were left out.
  const struct {
    const char* sheet;
    const char* problem;
  } cases[] = {{"输出表",
                "：工作表“输出表”的第 11 行超出了程序读入的范围（第 10 行、E 列以内），"
                "改写这张表会丢掉那里的内容。请删去"},
               {"成绩表", "：工作表“成绩表”的 F1 超出了程序读入的范围"}};
  for (const auto& c : cases) {
    auto changed = readWorkbookFromMemory(packageOf(spec), "in.xlsx", limits);
    changed->find(c.sheet)->setCell(1, 1, Variant::number(2));
    try {
      writeWorkbook(*changed, dir.file("cut.xlsx"));
      ADD_FAILURE() << c.sheet << " was written without what it lacks";
    } catch (const FileError& e) {
      EXPECT_TRUE(has(e.what(), "无法保存工作簿 " + dir.file("cut.xlsx") + c.problem)) << e.what();
    }
  }
  EXPECT_FALSE(fs::exists(dir.file("cut.xlsx")));
}

}  // namespace
}  // namespace valdrex::io
