// Every kind of bad input ends in one FileError that names the file and says what is wrong.
#include <gtest/gtest.h>

#include "io_support.h"
#include "valdrex/io/xlsx_reader.h"

namespace valdrex::io {
namespace {

using namespace testing;

std::string oneSheet(const std::string& body, const std::string& sharedStrings = "") {
  return packageOf({{{"Sheet1", sheetXml(body)}}, sharedStrings, "", ""});
}

std::string withPart(const std::string& name, const std::string& content) {
  Parts parts = packageParts({{{"Sheet1", sheetXml("")}}, "", "", ""});
  parts[name] = content;
  return zipOf(parts);
}

std::string withoutPart(const std::string& name) {
  Parts parts = packageParts({{{"Sheet1", sheetXml("")}}, "", "", ""});
  parts.erase(name);
  return zipOf(parts);
}

// The message of the FileError that reading the bytes throws, or "" when none is thrown.
std::string readProblem(const std::string& bytes, const ReadLimits& limits = {}) {
  try {
    readWorkbookFromMemory(bytes, "成绩.xlsx", limits);
  } catch (const FileError& e) {
    EXPECT_EQ(e.path(), "成绩.xlsx");
    return e.what();
  }
  return "";
}

TEST(XlsxBadInputTest, EachProblemIsNamed) {
  const std::string valid =
      oneSheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>");
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
      "\"&a;&a;&a;&a;&a;&a;&a;&a;\">]><worksheet><sheetData><row><c t=\"inlineStr\"><is><t>&b;</t>"
      "</is></c></row></sheetData></worksheet>";
  Parts word;
  word["_rels/.rels"] = std::string("<Relationships xmlns=\"x\"><Relationship Id=\"r\" Type=\"") +
                        kRel + "/officeDocument\" Target=\"word/document.xml\"/></Relationships>";
  word["word/document.xml"] = "<w:document xmlns:w=\"w\"/>";

  struct {
    const char* what;
    std::string bytes;
    const char* problem;
  } cases[] = {
      {"empty", "", "文件是空的"},
      {"text", "班级,姓名,语文\n1,张三,90\n", "不是 xlsx 文件（不是 zip 压缩包）"},
      {"old .xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'),
       "旧版 Excel 97-2003 .xls"},
      {"truncated", valid.substr(0, valid.size() / 2), "文件不完整或已损坏"},
      {"no workbook", zipOf({{"readme.txt", "hello"}}), "找不到 workbook 部件"},
      {"word document", zipOf(word), "是其他类型的 Office 文档"},
      {"missing sheet part", withoutPart("xl/worksheets/sheet1.xml"),
       "工作表“Sheet1”的部件 xl/worksheets/sheet1.xml 不存在"},
      {"missing relationships", withoutPart("xl/_rels/workbook.xml.rels"),
       "缺少部件 xl/_rels/workbook.xml.rels"},
      {"malformed sheet",
       withPart("xl/worksheets/sheet1.xml", "<worksheet><sheetData></worksheet>"),
       "部件 xl/worksheets/sheet1.xml 的 XML 格式错误（第 1 行"},
      {"malformed workbook", withPart("xl/workbook.xml", "<workbook"),
       "部件 xl/workbook.xml 的 XML 格式错误"},
      {"entity expansion", withPart("xl/worksheets/sheet1.xml", laughs), "含有 DTD 声明"},
      {"column beyond XFD",
       oneSheet("<sheetData><row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row></sheetData>"),
       "单元格位置 XFE1 无效或超出工作表范围"},
      {"row beyond the sheet",
       oneSheet("<sheetData><row r=\"1048577\"><c><v>1</v></c></row></sheetData>"),
       "行号 1048577 超出工作表范围"},
      {"dangling shared string",
       oneSheet("<sheetData><row><c r=\"B2\" t=\"s\"><v>1</v></c></row></sheetData>",
                "<si><t>x</t></si>"),
       "单元格 B2 引用了不存在的共享字符串"},
      {"bad number", oneSheet("<sheetData><row><c r=\"C3\"><v>12abc</v></c></row></sheetData>"),
       "单元格 C3 的数值 “12abc” 无效"},
      {"bad merge", oneSheet("<mergeCells><mergeCell ref=\"A1:ZZZZ9\"/></mergeCells>"),
       "合并区域 A1:ZZZZ9 无效"},
      {"bad cell type",
       oneSheet("<sheetData><row><c r=\"A1\" t=\"x\"><v>1</v></c></row></sheetData>"),
       "单元格 A1 的类型 “x” 无效"},
  };
  for (const auto& c : cases) {
    std::string message = readProblem(c.bytes);
    EXPECT_EQ(message.rfind("无法读取工作簿 成绩.xlsx：", 0), 0u) << c.what << ": " << message;
    EXPECT_NE(message.find(c.problem), std::string::npos) << c.what << ": " << message;
  }
}

TEST(XlsxBadInputTest, SizesBeyondTheLimitsAreRefused) {
  // Blanks compress a thousandfold: a small file that inflates far beyond its size.
  std::string bomb = oneSheet("<sheetData>" + std::string(4 << 20, ' ') + "</sheetData>");
  ASSERT_LT(bomb.size(), 64u << 10);
  ReadLimits part;
  part.maxPartBytes = 1 << 20;
  EXPECT_NE(readProblem(bomb, part).find("解压后超过 1 MB（文件异常，可能是 zip 炸弹）"),
            std::string::npos);
  ReadLimits total;
  total.maxTotalBytes = 1 << 20;
  EXPECT_NE(readProblem(bomb, total).find("解压后的内容超过 1 MB"), std::string::npos);

  std::string row = "<row>";
  for (int i = 0; i < 20; ++i) row += "<c><v>1</v></c>";
  std::string many = oneSheet("<sheetData>" + row + "</row>" + row + "</row></sheetData>");
  ReadLimits cells;
  cells.maxCells = 30;
  EXPECT_NE(readProblem(many, cells).find("单元格超过 30 个"), std::string::npos);
  cells.maxCells = 40;
  EXPECT_EQ(readProblem(many, cells), "");

  std::string wide =
      oneSheet("<cols><col min=\"1\" max=\"16384\" width=\"3\" customWidth=\"1\"/></cols>");
  EXPECT_NE(readProblem(wide, cells).find("单元格超过 40 个"), std::string::npos)
      << "column widths count against the same budget";
}

// Whatever a small file could swell into gigabytes or minutes of parsing is counted as it is
// read, and the first one too many ends the read.
TEST(XlsxBadInputTest, EveryCountAHostileFileCouldSwellIsBounded) {
  auto inline_ = [](const std::string& ref, std::size_t length) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + std::string(length, 'x') +
           "</t></is></c>";
  };
  auto styles = [](const std::string& list, const std::string& item, int count) {
    std::string items;
    for (int i = 0; i < count; ++i) items += "<" + item + "/>";
    return packageOf({{{"Sheet1", sheetXml("")}},
                      "",
                      std::string("<styleSheet xmlns=\"") + kMain + "\"><" + list + ">" + items +
                          "</" + list + "></styleSheet>",
                      ""});
  };
  std::string formattedRows = "<sheetData>";
  for (int r = 1; r <= 5; ++r)
    formattedRows += "<row r=\"" + std::to_string(r) + "\" s=\"1\" customFormat=\"1\"/>";
  formattedRows += "</sheetData>";
  const std::string borders =
      std::string("<styleSheet xmlns=\"") + kMain +
      "\"><borders><border/><border><left style=\"thin\"/></border></borders><cellXfs><xf/>"
      "<xf borderId=\"1\"/></cellXfs></styleSheet>";

  struct {
    const char* what;
    std::string bytes;
    ReadLimits limits;
    const char* problem;
  } cases[] = {
      {"shared strings",
       oneSheet("", "<si><t>a</t></si><si><t>b</t></si><si><t>c</t></si>"),
       {.maxSharedStrings = 2},
       "共享字符串超过 2 个。请删去"},
      {"one huge text",
       oneSheet("<sheetData><row>" + inline_("A1", 5000) + "</row></sheetData>"),
       {.maxTextBytes = 1000},
       "文字和公式共超过 1000 字节"},
      {"texts adding up",
       oneSheet("<sheetData><row>" + inline_("A1", 600) + "<c r=\"B1\"><f>" +
                    std::string(300, '1') + "</f></c></row></sheetData>",
                "<si><t>" + std::string(200, 'y') + "</t></si>"),
       {.maxTextBytes = 1000},
       "文字和公式共超过 1000 字节"},
      {"elements",
       oneSheet("<sheetData><row><c/><c/><c/><c/><c/><c/><c/><c/></row></sheetData>"),
       {.maxElements = 8},
       "XML 元素超过 8 个"},
      {"cell formats", styles("cellXfs", "xf", 4), {.maxStyles = 3}, "样式中的单元格格式超过 3 个"},
      {"fonts", styles("fonts", "font", 4), {.maxStyles = 3}, "样式中的字体超过 3 个"},
      {"a part held whole",
       styles("cellXfs", "xf", 400),
       {.maxWholePartBytes = 1000},
       "部件 xl/styles.xml 解压后超过 1000 字节"},
      {"formatted rows",
       packageOf({{{"Sheet1", sheetXml(formattedRows)}}, "", borders, ""}),
       {.maxCells = 4},
       "单元格超过 4 个"},
  };
  for (const auto& c : cases) {
    std::string message = readProblem(c.bytes, c.limits);
    EXPECT_NE(message.find(c.problem), std::string::npos) << c.what << ": " << message;
    EXPECT_EQ(readProblem(c.bytes), "") << c.what << " is far within the usual limits";
  }
}

TEST(XlsxBadInputTest, DamagedCompressedDataIsReported) {
  std::string text(100000, 'x');
  uint32_t seed = 12345;
  for (char& c : text) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>('a' + (seed >> 16) % 26);
  }
  std::string bytes = oneSheet("<sheetData><row><c t=\"inlineStr\"><is><t>" + text +
                               "</t></is></c></row></sheetData>");
  // Flip bytes in the middle of the compressed data, away from the headers.
  for (std::size_t i = bytes.size() / 3; i < bytes.size() / 3 + 16; ++i)
    bytes[i] = static_cast<char>(~bytes[i]);
  std::string message = readProblem(bytes);
  EXPECT_NE(message.find("已损坏"), std::string::npos) << message;
}

TEST(XlsxBadInputTest, FilesThatCannotBeRead) {
  ScratchFolder dir;
  for (const auto& [path, problem] : {std::pair{dir.file("没有这个文件.xlsx"), "文件不存在"},
                                      std::pair{dir.path().string(), "这是一个文件夹，不是文件"}}) {
    try {
      readWorkbook(path);
      ADD_FAILURE() << path;
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()), "无法读取工作簿 " + path + "：" + problem);
    }
  }
}

}  // namespace
}  // namespace valdrex::io
