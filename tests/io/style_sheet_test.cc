// The styles part read and written back: untouched cells keep their style and the part its bytes;
// a changed cell gets a style derived from its own, with only what changed changed.
#include "valdrex/io/style_sheet.h"

#include <gtest/gtest.h>

#include <regex>
#include <tuple>

namespace valdrex::io {
namespace {

using host::CellFormat;
using host::HAlign;
constexpr uint8_t kLeft = host::kEdgeLeft, kTop = host::kEdgeTop, kBottom = host::kEdgeBottom;

// As Excel writes it: a bold font, a yellow fill, a red medium left line, vertical centring and
// wrapping, an unlocked cell, a custom number format, and parts our styles never touch.
const std::string kExcel =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\r\n"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")"
    R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")"
    R"( mc:Ignorable="x14ac x16r2")"
    R"( xmlns:x14ac="http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac")"
    R"( xmlns:x16r2="http://schemas.microsoft.com/office/spreadsheetml/2015/02/main">)"
    R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="0.0&quot;分&quot;"/></numFmts>)"
    R"(<fonts count="2" x14ac:knownFonts="1"><font><sz val="11"/><color theme="1"/><name)"
    R"( val="等线"/><family val="2"/><charset val="134"/><scheme val="minor"/></font>)"
    R"(<font><b/><sz val="11"/><color theme="1"/><name val="等线"/><family val="3"/><charset)"
    R"( val="134"/><scheme val="minor"/></font></fonts>)"
    R"(<fills count="3"><fill><patternFill patternType="none"/></fill><fill><patternFill)"
    R"( patternType="gray125"/></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor rgb="FFFFFF00"/><bgColor indexed="64"/>)"
    R"(</patternFill></fill></fills>)"
    R"(<borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border>)"
    R"(<border><left style="medium"><color rgb="FFFF0000"/></left><right/><top/><bottom/>)"
    R"(<diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"><alignment)"
    R"( vertical="center"/></xf></cellStyleXfs>)"
    R"(<cellXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0">)"
    R"(<alignment vertical="center"/></xf>)"
    R"(<xf numFmtId="164" fontId="1" fillId="2" borderId="1" xfId="0" applyNumberFormat="1")"
    R"( applyFont="1" applyFill="1" applyBorder="1" applyAlignment="1" applyProtection="1">)"
    R"(<alignment horizontal="center" vertical="center" wrapText="1"/><protection locked="0"/>)"
    R"(</xf>)"
    R"(<xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(</cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="常规" xfId="0" builtinId="0"/></cellStyles>)"
    R"(<dxfs count="1"><dxf><border><left style="thick"/></border></dxf></dxfs>)"
    R"(<tableStyles count="0" defaultTableStyle="TableStyleMedium2")"
    R"( defaultPivotStyle="PivotStyleLight16"/>)"
    R"(<extLst><ext uri="{EB79DEF2-80B8-43e5-95BD-54CBDDF9020C}")"
    R"( xmlns:x14="http://schemas.microsoft.com/office/spreadsheetml/2009/9/main">)"
    R"(<x14:slicerStyles defaultSlicerStyle="SlicerStyleLight1"/></ext></extLst></styleSheet>)";

// The elements of one list of the part, each as written.
std::vector<std::string> elements(const std::string& xml, const std::string& list,
                                  const std::string& item) {
  std::size_t begin = xml.find("<" + list + " "), end = xml.find("</" + list + ">", begin);
  std::vector<std::size_t> starts;
  for (std::size_t at = xml.find("<" + item, begin); at < end; at = xml.find("<" + item, at + 1))
    if (std::string_view(" />").find(xml[at + 1 + item.size()]) != std::string_view::npos)
      starts.push_back(at);
  std::vector<std::string> out;
  for (std::size_t i = 0; i < starts.size(); ++i)
    out.push_back(xml.substr(starts[i], (i + 1 < starts.size() ? starts[i + 1] : end) - starts[i]));
  return out;
}

std::string countOf(const std::string& xml, const std::string& list) {
  std::string tag = "<" + list + " count=\"";
  std::size_t at = xml.find(tag) + tag.size();
  return xml.substr(at, xml.find('"', at) - at);
}

TEST(StyleSheetTest, UntouchedStylesKeepTheirIndexAndThePartItsBytes) {
  StyleSheet sheet = StyleSheet::parse("xl/styles.xml", kExcel);
  struct Case {
    uint32_t index;
    CellFormat format;  // what the style shows
    bool date;
    uint32_t asked;  // the style a cell showing that names
  } cases[] = {
      {0, {0, HAlign::General, ""}, false, 0},
      {1, {kLeft, HAlign::Center, "0.0\"分\""}, false, 1},
      {2, {0, HAlign::General, "yyyy/m/d"}, true, 2},
      {0, {0, HAlign::General, ""}, false, 7},  // beyond the table: the default
  };
  for (const Case& c : cases) {
    CellFormat format = c.format;
    format.style = c.index;
    EXPECT_EQ(sheet.at(c.asked).format, format) << c.asked;
    EXPECT_EQ(sheet.at(c.asked).date, c.date) << c.asked;
    format.style = c.asked;
    EXPECT_EQ(sheet.indexFor(format, c.date), c.index) << c.asked;
  }
  EXPECT_FALSE(sheet.changed());
  EXPECT_EQ(sheet.xml(), kExcel);
}

// A number format named by a hundred thousand styles takes its memory once, not once a style.
TEST(StyleSheetTest, StylesShareTheTextOfTheirNumberFormat) {
  std::string xfs;
  for (int i = 0; i < 3; ++i) xfs += "<xf numFmtId=\"164\"/>";
  StyleSheet sheet = StyleSheet::parse(
      "xl/styles.xml", "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"0" +
                           std::string(1000, '0') + "\"/></numFmts><cellXfs>" + xfs +
                           "</cellXfs></styleSheet>");
  EXPECT_EQ(sheet.at(0).format.numberFormat.size(), 1001u);
  EXPECT_EQ(&sheet.at(0).format.numberFormat.str(), &sheet.at(2).format.numberFormat.str());
}

TEST(StyleSheetTest, ChangedCellsGetStylesDerivedFromTheirOwn) {
  const std::string box = "<left style=\"medium\"><color rgb=\"FFFF0000\"/></left>";
  const std::string bold = "fontId=\"1\" fillId=\"2\"";
  const std::string keptAlign = "vertical=\"center\" wrapText=\"1\"/><protection locked=\"0\"/>";
  struct Case {
    const char* what;
    uint8_t borders;
    HAlign align;
    const char* numberFormat;
    uint32_t from;  // the cell's style as read
    bool date;
    std::vector<std::string> inXf;      // what the derived xf holds
    std::vector<std::string> inBorder;  // what its border holds
    std::string numFmt;                 // a number format added, if any
  } cases[] = {
      // clang-format off
      {"more edges keep the drawn one's line", kLeft | kTop | kBottom, HAlign::Center, "0.0\"分\"",
       1, false, {bold, "borderId=\"2\"", keptAlign, "applyBorder=\"1\""},
       {box + "<right/><top style=\"thin\"/><bottom style=\"thin\"/><diagonal/>"}, ""},
      {"a removed edge is empty", kTop, HAlign::Center, "0.0\"分\"", 1, false,
       {bold, "borderId=\"3\""}, {"<left/><right/><top style=\"thin\"/><bottom/><diagonal/>"}, ""},
      {"alignment", kLeft, HAlign::Left, "0.0\"分\"", 1, false,
       {bold, "borderId=\"1\"", "<alignment horizontal=\"left\" " + keptAlign}, {box}, ""},
      {"general alignment", kLeft, HAlign::General, "0.0\"分\"", 1, false,
       {bold, "<alignment " + keptAlign}, {box}, ""},
      {"alignment of an empty xf", 0, HAlign::Right, "yyyy/m/d", 2, true,
       {"applyNumberFormat=\"1\" applyAlignment=\"1\"><alignment horizontal=\"right\"/></xf>"},
       {}, ""},
      {"a built-in format", kLeft, HAlign::Center, "0.00", 1, false,
       {bold, "numFmtId=\"2\"", keptAlign}, {box}, ""},
      {"an existing format", 0, HAlign::General, "0.0\"分\"", 0, false,
       {"numFmtId=\"164\" fontId=\"0\"", "applyNumberFormat=\"1\"><alignment vertical"}, {}, ""},
      {"a new format", 0, HAlign::General, "[Red]0.0\"分\"", 0, false, {"numFmtId=\"165\""}, {},
       R"(<numFmt numFmtId="165" formatCode="[Red]0.0&quot;分&quot;"/>)"},
      {"a date in General", 0, HAlign::General, "", 0, true, {"numFmtId=\"166\""}, {},
       R"(<numFmt numFmtId="166" formatCode="yyyy/m/d"/>)"},
      {"a date shown as a date", 0, HAlign::General, "yyyy/m/d", 0, true, {"numFmtId=\"166\""},
       {}, ""},
      // clang-format on
  };

  StyleSheet sheet = StyleSheet::parse("xl/styles.xml", kExcel);
  std::vector<uint32_t> indexes;
  auto formatOf = [](const Case& c) {
    return CellFormat{c.borders, c.align, c.numberFormat, c.from};
  };
  for (const Case& c : cases) indexes.push_back(sheet.indexFor(formatOf(c), c.date));
  std::string out = sheet.xml();
  StyleSheet back = StyleSheet::parse("xl/styles.xml", out);
  auto xfs = elements(out, "cellXfs", "xf"), borders = elements(out, "borders", "border");
  auto numFmts = elements(out, "numFmts", "numFmt");

  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.what);
    EXPECT_EQ(sheet.indexFor(formatOf(c), c.date), indexes[i]) << "made once";
    ASSERT_LT(indexes[i], xfs.size());
    const CellStyle& style = back.at(indexes[i]);
    std::string code = c.date && !*c.numberFormat ? "yyyy/m/d" : c.numberFormat;
    EXPECT_EQ(style.format, (CellFormat{c.borders, c.align, code, indexes[i]}));
    EXPECT_EQ(style.date, c.date);
    const std::string& xf = xfs[indexes[i]];
    for (const std::string& part : c.inXf) EXPECT_NE(xf.find(part), std::string::npos) << xf;
    std::smatch border;
    ASSERT_TRUE(std::regex_search(xf, border, std::regex("borderId=\"(\\d+)\"")));
    for (const std::string& part : c.inBorder)
      EXPECT_NE(borders[std::stoul(border[1])].find(part), std::string::npos)
          << borders[std::stoul(border[1])];
    if (!c.numFmt.empty()) {
      EXPECT_NE(std::find(numFmts.begin(), numFmts.end(), c.numFmt), numFmts.end());
    }
  }

  // Nothing read changed but the counts: without the added elements the part is the one read.
  std::string original = out;
  for (auto [list, item, read] :
       {std::tuple{"numFmts", "numFmt", 1}, {"borders", "border", 2}, {"cellXfs", "xf", 3}}) {
    auto added = elements(out, list, item);
    EXPECT_EQ(countOf(out, list), std::to_string(added.size())) << list;
    for (std::size_t i = static_cast<std::size_t>(read); i < added.size(); ++i)
      original.erase(original.find(added[i]), added[i].size());
    std::string count = std::string("<") + list + " count=\"";
    original.replace(original.find(count) + count.size(), countOf(out, list).size(),
                     std::to_string(read));
  }
  EXPECT_EQ(original, kExcel);
}

// Parts with lists missing, a closed root or a namespace prefix, and the part of a new workbook:
// what is added is where a reader looks for it, and index 0 stays the default.
TEST(StyleSheetTest, AddsToPartsOfEveryShape) {
  const std::string ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  struct Case {
    const char* what;
    std::string xml;
    std::vector<std::string> written;
  } cases[] = {
      {"fresh",
       StyleSheet::fresh().xml(),
       {"<cellXfs count=\"4\">", "<borders count=\"2\">", "<numFmts count=\"1\">"}},
      {"closed root",
       "<styleSheet xmlns=\"" + ns + "\"/>",
       {"<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy/m/d\"/></numFmts>"
        "<borders count=\"2\"><border><left/><right/><top/><bottom/></border>",
        "<cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
        "xfId=\"0\"/>",
        "</cellXfs></styleSheet>"}},
      {"prefixed, lists empty or missing",
       "<x:styleSheet xmlns:x=\"" + ns +
           "\"><x:fonts count=\"1\"><x:font/></x:fonts>"
           "<x:borders count=\"0\"/><x:cellXfs count=\"1\"><x:xf numFmtId=\"0\" borderId=\"0\"/>"
           "</x:cellXfs></x:styleSheet>",
       {"<x:styleSheet xmlns:x=\"" + ns + "\"><x:numFmts count=\"1\"><x:numFmt ",
        "<x:borders count=\"2\"><x:border><x:left/>",
        "<x:left style=\"thin\"/><x:right style=\"thin\"/><x:top style=\"thin\"/>",
        "<x:xf numFmtId=\"0\" borderId=\"1\" applyBorder=\"1\" applyAlignment=\"1\">"
        "<x:alignment horizontal=\"center\"/></x:xf>"}},
  };
  const std::pair<CellFormat, bool> asked[] = {
      {{host::kEdgeRight | kLeft | kTop | kBottom, HAlign::Center, ""}, false},
      {{0, HAlign::General, ""}, true},
      {{0, HAlign::General, "0.00"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StyleSheet sheet = StyleSheet::parse("xl/styles.xml", c.xml);
    std::vector<uint32_t> indexes;
    for (const auto& [format, date] : asked) indexes.push_back(sheet.indexFor(format, date));
    EXPECT_TRUE(sheet.changed());
    std::string out = sheet.xml();
    for (const std::string& part : c.written) EXPECT_NE(out.find(part), std::string::npos) << out;
    StyleSheet back = StyleSheet::parse("xl/styles.xml", out);
    EXPECT_EQ(back.at(0).format, CellFormat{});
    for (std::size_t i = 0; i < std::size(asked); ++i) {
      CellFormat expected = asked[i].first;
      if (asked[i].second) expected.numberFormat = "yyyy/m/d";
      expected.style = indexes[i];
      EXPECT_EQ(back.at(indexes[i]).format, expected) << i;
      EXPECT_EQ(back.at(indexes[i]).date, asked[i].second) << i;
    }
  }
}

}  // namespace
}  // namespace valdrex::io
