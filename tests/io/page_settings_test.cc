// How a sheet prints, as written: the page setup, margins, header and footer and row breaks of a
// sheet Valdrex made; on a report sheet read from a file, only what it has none of its own, and
// always the row breaks. What the reader tells of a sheet's own page.
#include <gtest/gtest.h>

#include "io_support.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"

namespace valdrex::io {
namespace {

using namespace testing;

std::string between(const std::string& xml, const std::string& open, const std::string& close) {
  const std::size_t from = xml.find(open);
  if (from == std::string::npos) return "";
  return xml.substr(from, xml.find(close, from) + close.size() - from);
}

host::PrintLayout reportLayout() {
  host::PrintLayout layout = printLayout(true, true, 0, 0);
  layout.scale = 75;
  layout.headerTitle = "两率&一分";
  layout.headerDate = "2026/12/7";
  layout.rowBreaks = {12, 25};
  return layout;
}

constexpr const char* kHeader =
    "<headerFooter><oddHeader>&amp;C&amp;&quot;-,Bold&quot;两率&amp;&amp;一分&amp;R2026/12/7</"
    "oddHeader>"
    "<oddFooter>&amp;C第 &amp;P 页，共 &amp;N 页</oddFooter></headerFooter>";
constexpr const char* kBreaks =
    "<rowBreaks count=\"2\" manualBreakCount=\"2\"><brk id=\"11\" max=\"16383\" man=\"1\"/>"
    "<brk id=\"24\" max=\"16383\" man=\"1\"/></rowBreaks>";

TEST(PageSettingsTest, ANewSheetPrintsAtItsScaleWithTitleDatePageNumbersAndBreaks) {
  ScratchFolder dir;
  auto book = sampleBook();
  host::MemorySheet& rates = book->addSheet("两率一分");
  rates.setCell(30, 1, "合计");
  rates.setPrintLayout(reportLayout());
  writeWorkbook(*book, dir.file("out.xlsx"));
  Parts parts = partsOf(slurp(dir.file("out.xlsx")));
  std::string xml;
  for (const auto& [name, part] : parts)
    if (name.starts_with("xl/worksheets/") && part.find("rowBreaks") != std::string::npos)
      xml = part;
  ASSERT_FALSE(xml.empty());
  // A scale of its own, and no fit to page, which would make a program drop the breaks.
  EXPECT_NE(xml.find("<pageSetup paperSize=\"9\" orientation=\"landscape\" scale=\"75\"/>"),
            std::string::npos)
      << xml;
  EXPECT_EQ(xml.find("fitToPage"), std::string::npos) << xml;
  const char* inOrder[] = {"<sheetData",
                           "<pageMargins left=\"0.5\" right=\"0.5\" top=\"0.75\" bottom=\"0.75\" "
                           "header=\"0.3\" footer=\"0.3\"/>",
                           "<pageSetup", kHeader, kBreaks};
  std::size_t at = 0;
  for (const char* piece : inOrder) {
    const std::size_t found = xml.find(piece);
    ASSERT_NE(found, std::string::npos) << piece << "\n" << xml;
    EXPECT_GE(found, at) << piece;
    at = found;
  }
  // The reader takes the header for Valdrex's own: a later run redates it.
  auto back = readWorkbook(dir.file("out.xlsx"));
  const auto& page = back->find("两率一分")->pageAsRead();
  ASSERT_TRUE(page);
  EXPECT_TRUE(page->pageSetup && page->landscape && page->hasMargins);
  EXPECT_EQ(page->scale, 75);
  EXPECT_FALSE(page->ownHeader);
  EXPECT_TRUE(page->valdrexHeader);
}

// A report sheet of a teacher's workbook, written by a run: its breaks are the run's; its page
// setup, margins and header stay where it has them, and are the run's where it has none.
TEST(PageSettingsTest, AReadReportSheetKeepsEveryPageSettingOfItsOwn) {
  const std::string views =
      "<sheetViews><sheetView workbookViewId=\"0\" zoomScale=\"80\"/></sheetViews>";
  const std::string margins =
      "<pageMargins left=\"1\" right=\"1\" top=\"1\" bottom=\"1\" header=\"0.5\" footer=\"0.5\"/>";
  const std::string setup = "<pageSetup paperSize=\"9\" orientation=\"portrait\" scale=\"60\"/>";
  const std::string own = "<headerFooter><oddHeader>&amp;C初三年级</oddHeader></headerFooter>";
  const std::string empty = "<headerFooter><oddHeader></oddHeader><oddFooter/></headerFooter>";
  const std::string earlier =
      "<headerFooter><oddHeader>&amp;C两率一分&amp;R2026/1/5</oddHeader><oddFooter>&amp;C第 "
      "&amp;P 页，共 &amp;N 页</oddFooter></headerFooter>";
  const std::string oldBreaks =
      "<rowBreaks count=\"1\" manualBreakCount=\"1\"><brk id=\"4\" max=\"16383\" man=\"1\"/>"
      "</rowBreaks>";
  const struct {
    const char* what;
    std::string settings;  // after the cells
    bool ownSetup, ownMargins, ownHeader;
  } cases[] = {
      {"every setting its own", margins + setup + own + oldBreaks, true, true, true},
      {"margins only", margins, false, true, false},
      {"an empty header", margins + setup + empty, true, true, false},
      {"an earlier run's header and page", margins + setup + earlier, true, true, false},
      {"none", "", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder dir;
    PackageSpec spec;
    spec.sheets = {{"两率一分", sheetXml(views +
                                         "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\">"
                                         "<is><t>旧</t></is></c></row></sheetData>" +
                                         c.settings)}};
    { std::ofstream(dir.file("in.xlsx"), std::ios::binary) << packageOf(spec); }
    auto book = readWorkbook(dir.file("in.xlsx"));
    host::MemorySheet& sh = *book->find("两率一分");
    const auto& page = sh.pageAsRead();
    ASSERT_EQ(page.has_value(), c.ownMargins || c.ownSetup || c.ownHeader);
    if (page) {
      EXPECT_EQ(page->pageSetup, c.ownSetup);
      EXPECT_EQ(page->ownHeader, c.ownHeader);
      EXPECT_EQ(page->scale, c.ownSetup ? 60 : 100);
      EXPECT_EQ(page->margins.left, c.ownMargins ? 1 : 0.5);
    }

    // What the run decides: the header where the sheet has none of its own, and a page Valdrex
    // wrote with its header laid out anew.
    host::PrintLayout layout = reportLayout();
    layout.keepsOwnPage = true;
    layout.frozenRows = 3;
    if (c.ownHeader) layout.headerTitle.clear();
    layout.rewritesValdrexPage = page && page->valdrexHeader;
    const bool keptSetup = c.ownSetup && !layout.rewritesValdrexPage;
    const bool keptMargins = c.ownMargins && !layout.rewritesValdrexPage;
    sh.setCell(1, 1, "新");
    sh.setPrintLayout(layout);
    writeWorkbook(*book, dir.file("out.xlsx"));
    const std::string xml = partsOf(slurp(dir.file("out.xlsx")))["xl/worksheets/sheet1.xml"];
    EXPECT_NE(xml.find(views), std::string::npos) << "views kept: " << xml;
    EXPECT_EQ(between(xml, "<pageMargins", "/>") == margins, keptMargins) << xml;
    EXPECT_EQ(between(xml, "<pageSetup", "/>") == setup, keptSetup) << xml;
    EXPECT_EQ(between(xml, "<headerFooter", "</headerFooter>"), c.ownHeader ? own : kHeader);
    EXPECT_EQ(between(xml, "<rowBreaks", "</rowBreaks>"), kBreaks);
    const std::string workbook = partsOf(slurp(dir.file("out.xlsx")))["xl/workbook.xml"];
    EXPECT_EQ(workbook.find("Print_Titles"), std::string::npos) << "print titles are its own";
  }
}

}  // namespace
}  // namespace valdrex::io
