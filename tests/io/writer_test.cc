// Writing workbooks and reading them back; writes that fail leave the old file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "io_support.h"
#include "support/sheet_dump.h"
#include "valdrex/host/failure.h"
#include "valdrex/io/package_check.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/io/xml_outline.h"

namespace valdrex::io {
namespace {

using namespace testing;
using host::CellFormat;
using host::HAlign;
using host::MemoryWorkbook;

TEST(XlsxWriterTest, RoundTripKeepsEverythingTheModelHolds) {
  ScratchFolder dir;
  auto book = sampleBook();
  writeWorkbook(*book, dir.file("out.xlsx"));
  auto back = readWorkbook(dir.file("out.xlsx"));

  EXPECT_EQ(valdrex::testing::dump(*back, false), valdrex::testing::dump(*book, false));
  EXPECT_EQ(back->activeSheet, 2u);

  const auto& s = back->sheetAt(0);
  EXPECT_EQ(s.find(1, 5)->format.numberFormat, "yyyy/m/d") << "a date gets a date format";
  EXPECT_EQ(s.find(1, 6)->format.numberFormat, "yyyy-mm-dd hh:mm");
  EXPECT_EQ(s.find(2, 1)->format.numberFormat, "0.00");
  ASSERT_NE(s.rowFormat(2), nullptr) << "a row format goes before the row's cells";
  EXPECT_EQ(s.rowFormat(2)->borders, host::kEdgeTop);
  ASSERT_NE(s.rowFormat(5), nullptr) << "and after the last row of cells";
  EXPECT_EQ(s.rowFormat(5)->align, HAlign::Center);
  EXPECT_EQ(back->path(), dir.file("out.xlsx"));

  // Widths come back to the nearest whole pixel (a seventh of a character), and then stay.
  const auto& widths = s.columnWidths();
  ASSERT_EQ(widths.size(), 4u);
  for (const auto& [col, width] : book->sheetAt(0).columnWidths())
    EXPECT_NEAR(widths.at(col), width, 1.0 / 7) << col;
  writeWorkbook(*back, dir.file("again.xlsx"));
  EXPECT_EQ(readWorkbook(dir.file("again.xlsx"))->sheetAt(0).columnWidths(), widths);
}

TEST(XlsxWriterTest, NumbersAFileCannotHoldBecomeAnError) {
  ScratchFolder dir;
  MemoryWorkbook book;
  auto& s = book.addSheet("Sheet1");
  put(s, 1, 1, Variant::number(std::nan("")));
  put(s, 1, 2, Variant::number(HUGE_VAL), {}, "A1*2");
  writeWorkbook(book, dir.file("x.xlsx"));
  auto back = readWorkbook(dir.file("x.xlsx"));
  EXPECT_EQ(back->sheetAt(0).cell(1, 1), Variant::error("#NUM!"));
  EXPECT_EQ(back->sheetAt(0).find(1, 2)->formula, "A1*2");
}

TEST(XlsxWriterTest, BytesThatAreNoUtf8AreWrittenAsTheReplacementCharacter) {
  // Such bytes would leave a part no reader accepts; each broken subpart is U+FFFD instead.
  ScratchFolder dir;
  MemoryWorkbook book;
  auto& s = book.addSheet("班\xFF级");
  put(s, 1, 1,
      Variant(std::string("a\xE4\xB8"
                          "b\x80")));
  put(s, 1, 2, Variant(std::string("成绩")), {}, "\"\xC0\xAF\"&\"\xED\xA0\x80\"");
  writeWorkbook(book, dir.file("x.xlsx"));
  auto back = readWorkbook(dir.file("x.xlsx"));
  const auto& t = back->sheetAt(0);
  EXPECT_EQ(t.name(), "班\uFFFD级");
  EXPECT_EQ(t.cell(1, 1), Variant(std::string("a\uFFFDb\uFFFD")));
  EXPECT_EQ(t.find(1, 2)->formula, "\"\uFFFD\uFFFD\"&\"\uFFFD\uFFFD\uFFFD\"");
}

TEST(XlsxWriterTest, MacroProjectIsCarriedOverIntoAnXlsmOnly) {
  ScratchFolder dir;
  PackageSpec spec;
  spec.sheets = {{"Sheet1", sheetXml("<sheetData/>")}};
  Parts parts = packageParts(spec);
  static const char kProject[] = "\xD0\xCF\x11\xE0 project \0 bytes";
  parts["xl/vbaProject.bin"] = std::string(kProject, sizeof kProject - 1);
  std::string& rels = parts["xl/_rels/workbook.xml.rels"];
  rels.insert(rels.find("</Relationships>"),
              "<Relationship Id=\"rV\" Type=\"http://schemas.microsoft.com/office/2006/"
              "relationships/vbaProject\" Target=\"vbaProject.bin\"/>");
  auto book = readWorkbookFromMemory(zipOf(parts), "in.xlsm");
  book->sheetAt(0).setCell(1, 1, Variant::number(1));

  try {
    writeWorkbook(*book, dir.file("out.xlsx"));
    ADD_FAILURE() << "a macro workbook written as .xlsx";
  } catch (const FileError& e) {
    EXPECT_EQ(
        std::string(e.what()).rfind(
            "无法保存工作簿 " + dir.file("out.xlsx") + "：工作簿含有宏，只能保存为 .xlsm 文件", 0),
        0u)
        << e.what();
  }
  EXPECT_TRUE(dir.entries().empty());

  writeWorkbook(*book, dir.file("out.xlsm"));
  EXPECT_EQ(readWorkbook(dir.file("out.xlsm"))->vbaProject, parts["xl/vbaProject.bin"]);
}

TEST(XlsxWriterTest, RefusedWritesLeaveTheOldFileAndNoTemporaryFile) {
  ScratchFolder dir;
  const std::string target = dir.file("成绩.xlsx");
  writeWorkbook(*sampleBook(), target);
  const std::string before = slurp(target);

  // A text longer than a cell may hold is found in the middle of the write.
  MemoryWorkbook bad;
  put(bad.addSheet("Sheet1"), 2, 3, Variant(std::string(40000, 'x')));
  struct {
    const char* what;
    std::string path;
    const char* problem;
  } cases[] = {
      {"text too long", target, "工作表“Sheet1”的单元格 C2：文字有 40000 个字符"},
      {"folder missing", dir.file("没有/成绩.xlsx"), "不存在"},
      {"target is a folder", dir.path().string(), "同名的文件夹已经存在"},
  };
  for (const auto& c : cases) {
    try {
      writeWorkbook(bad, c.path);
      ADD_FAILURE() << c.what;
    } catch (const FileError& e) {
      std::string message = e.what();
      EXPECT_EQ(message.rfind("无法保存工作簿 " + c.path + "：", 0), 0u) << message;
      EXPECT_NE(message.find(c.problem), std::string::npos) << message;
    }
  }
  EXPECT_EQ(slurp(target), before);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"成绩.xlsx"});

  // A read-only file is never replaced, although renaming over it would succeed.
  MemoryWorkbook other;
  other.addSheet("新表");
  ::chmod(target.c_str(), 0444);
  try {
    writeWorkbook(other, target);
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("文件是只读的"), std::string::npos) << e.what();
  }
  EXPECT_EQ(slurp(target), before);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"成绩.xlsx"});

  // Writable again: a rewrite replaces the content and keeps the file's permissions.
  ::chmod(target.c_str(), 0640);
  writeWorkbook(other, target);
  EXPECT_EQ(readWorkbook(target)->sheetAt(0).name(), "新表");
  struct stat st {};
  ::stat(target.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(XlsxWriterTest, SaveWritesBackToTheFileItCameFrom) {
  ScratchFolder dir;
  const std::string path = dir.file("book.xlsx");
  writeWorkbook(*sampleBook(), path);
  auto book = readWorkbook(path);
  book->sheetAt(1).setCell(3, 4, Variant::number(120));
  book->save();
  EXPECT_EQ(readWorkbook(path)->sheetAt(1).cell(3, 4), Variant::number(120));

  book->sheetAt(0).rename("bad:name");
  try {
    book->save();
    ADD_FAILURE() << "save of an unwritable workbook succeeded";
  } catch (const Failure& e) {
    EXPECT_EQ(e.kind(), FailureKind::HostError);
    EXPECT_NE(std::string(e.what()).find("无法保存工作簿 " + path), std::string::npos);
  }
  EXPECT_EQ(readWorkbook(path)->sheetAt(1).cell(3, 4), Variant::number(120));
}

// The last look before a result replaces anything: what the writer wrote must be well-formed and
// read back, or it is the program's fault and nothing is written.
TEST(XlsxWriterTest, APackageThatDoesNotReadBackIsAFault) {
  const struct {
    const char* part;
    const char* text;
    bool fault;
  } parts[] = {
      {"docProps/custom.xml", "<Properties><property/></Properties>", false},
      {"docProps/custom.xml", "<Properties><property>", true},
      {"xl/worksheets/sheet1.xml", "<worksheet><sheetData></worksheet>", true},
      {"xl/workbook.xml", "<workbook><sheets/></workbook><definedNames/></workbook>", true},
      {"xl/media/image1.png", "<not xml", false},
  };
  for (const auto& c : parts) {
    bool fault = false;
    try {
      requireWellFormed(c.part, c.text);
    } catch (const WrittenPackageFault&) {
      fault = true;
    }
    EXPECT_EQ(fault, c.fault) << c.part << " " << c.text;
  }
  PackageSpec spec;
  spec.sheets = {{"成绩表", sheetXml("<sheetData/>")}};
  Parts good = packageParts(spec);
  EXPECT_NO_THROW(requireReadable(zipOf(good)));
  Parts noSheetPart = good;
  noSheetPart.erase("xl/worksheets/sheet1.xml");
  EXPECT_THROW(requireReadable(zipOf(noSheetPart)), WrittenPackageFault);
  EXPECT_THROW(requireReadable("PK not a package"), WrittenPackageFault);
  // Edits that would overlap are the caller's fault, never a part written with them.
  EXPECT_THROW(splicedXml("<a><b/></a>", {{3, 7, "x"}, {5, 8, "y"}}), std::logic_error);
}

}  // namespace
}  // namespace valdrex::io
