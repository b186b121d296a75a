// Workbooks written by other programs read right, and ours read right in another reader.
#include <gtest/gtest.h>

#include "io_support.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"

namespace valdrex::io {
namespace {

using namespace testing;

class OtherProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script_ = pythonHelper();
    if (script_.empty()) GTEST_SKIP() << "/usr/bin/python3 with openpyxl is not installed";
    runHelper(script_, "make '" + dir_.path().string() + "'");
  }
  std::string dump(const std::string& path) { return runHelper(script_, "dump '" + path + "'"); }

  ScratchFolder dir_;
  std::string script_;
};

// Every sheet rewritten: whatever we read or write wrong, from values and dates of either date
// system to formats, merges, widths, sheet states and the active sheet, comes out different.
TEST_F(OtherProgramsTest, OurRewriteLooksTheSameToOpenpyxl) {
  for (const char* name : {"openpyxl.xlsx", "epoch1904.xlsx"}) {
    auto book = readWorkbook(dir_.file(name));
    for (std::size_t i = 0; i < book->sheetCount(); ++i)
      book->sheetAt(i).setCell(host::kMaxRows, 1, Variant());  // changes nothing but the flag
    const std::string copy = dir_.file(std::string("copy-") + name);
    writeWorkbook(*book, copy);
    EXPECT_EQ(dump(copy), dump(dir_.file(name))) << name;
  }
}

TEST_F(OtherProgramsTest, OpenpyxlSeesWhatWeWrote) {
  auto book = sampleBook();
  // A merged title area in a centred row reads as centred.
  auto& title = book->addSheet("年级排名表");
  title.merge(host::between(1, 1, 1, 4));
  title.merge(host::between(1, 5, 1, 6));
  title.setHorizontalAlignment(host::wholeRow(1), host::HAlign::Center);
  title.setCell(1, 5, Variant::date(46362));
  const std::string path = dir_.file("ours.xlsx");
  writeWorkbook(*book, path);

  std::string seen = dump(path);
  for (const char* line : {
           "active\tSheet3",
           "sheet\t属性表\thidden",
           "成绩表\tmerge\tA1:C1",
           "成绩表!A1\tstr\t两率一分",
           "成绩表!A1\tborder\tLRTB",
           "成绩表!A1\talign\tcenter",
           "成绩表!A2\tborder\tB",
           "成绩表!A2\talign\tleft",
           "成绩表!A2\tnumber\t87.5",
           "成绩表!A2\tformat\t0.00",
           "成绩表!E1\tdatetime\t2024-03-01T00:00:00",
           "成绩表!E1\tformat\tyyyy/m/d",
           "成绩表!E2\tstr\t#N/A",
           "成绩表!C2\tbool\tTRUE",
           "成绩表!A3\tformula\t=A2*2",
           "成绩表!A3\tnumber\t175",
           "成绩表!B3\tformula\t=IF(A2>80,\"优秀\",\"\")",
           "成绩表!B3\tstr\t优秀",
           "年级排名表!A1\talign\tcenter",
           "年级排名表!E1\talign\tcenter",
       })
    EXPECT_NE(seen.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << seen;
}

// A report sheet Valdrex made, added to a workbook read from a file: its print settings, bold
// header and charts as another reader sees them; charts set to none leave no chart behind.
// (LibreOffice opening our results is part of the teacher-workbook check.)
TEST_F(OtherProgramsTest, ReportSheetsPrintAndChartAsSet) {
  auto made = sampleBook();
  made->activeSheet = 0;
  writeWorkbook(*made, dir_.file("base.xlsx"));
  auto book = readWorkbook(dir_.file("base.xlsx"));
  auto& rates = book->addSheet("两率一分");
  put(rates, 3, 1, Variant("班级"), {0, host::HAlign::Center, "", 0, true});
  put(rates, 3, 2, Variant("及格率"));
  put(rates, 3, 3, Variant("优秀率"));
  for (int r = 4; r <= 23; ++r) {
    put(rates, r, 1, Variant(std::to_string(r - 3) + "班"));
    put(rates, r, 2, Variant::number(0.5 + r / 100.0), {0, host::HAlign::General, "0%"});
    put(rates, r, 3, Variant::number(r / 100.0));
  }
  host::PrintLayout layout = printLayout(true, true, 1, 3);
  layout.frozenRows = 3;
  layout.frozenColumns = 1;
  rates.setPrintLayout(layout);
  auto series = [](int col) {
    return host::ChartSeries{{"两率一分", host::singleCell(3, col)},
                             {"两率一分", {4, 1, 23, 1}},
                             {"两率一分", {4, col, 23, col}}};
  };
  // clang-format off
  rates.setCharts({
      {host::ChartKind::clusteredColumns, "各班两率", "班级", "比率", true, {series(2), series(3)},
       {2, 5, 20, 12}},
      {host::ChartKind::stackedColumns, "优秀率", "班级", "", false, {series(3), series(2)},
       {22, 5, 40, 12}, host::SeriesColours::lightToDark}});
  // clang-format on
  book->activeSheet = 3;
  writeWorkbook(*book, dir_.file("report.xlsx"));

  std::string seen = runHelper(script_, "layout '" + dir_.file("report.xlsx") + "'");
  for (const char* line : {
           "part\txl/charts/chart1.xml\t'两率一分'!$B$3 '两率一分'!$A$4:$A$23 '两率一分'!$B$4:$B$23"
           " '两率一分'!$C$3 '两率一分'!$A$4:$A$23 '两率一分'!$C$4:$C$23",
           "part\txl/charts/chart2.xml\t'两率一分'!$C$3 '两率一分'!$A$4:$A$23 "
           "'两率一分'!$C$4:$C$23 '两率一分'!$B$3 '两率一分'!$A$4:$A$23 '两率一分'!$B$4:$B$23",
           // Every value axis from 0; distinct colours, or for a scale's steps lighter to darker.
           "chart\txl/charts/chart1.xml\tmin 0\tcolours 4472C4 ED7D31",
           "chart\txl/charts/chart2.xml\tmin 0\tcolours C6DBEF 08306B",
           "part\txl/drawings/drawing1.xml",
           "active\t两率一分",
           "两率一分\tprint\t$1:$3\tlandscape\t9\tTrue\t1\t0\tB4",
           "两率一分\tselected",
           "两率一分!A3\tbold\t11.0",
       })
    EXPECT_NE(seen.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << seen;
  EXPECT_EQ(seen.find("成绩表\tselected"), std::string::npos) << seen;

  auto again = readWorkbook(dir_.file("report.xlsx"));
  again->sheetAt(3).setCharts({});
  writeWorkbook(*again, dir_.file("plain.xlsx"));
  seen = runHelper(script_, "layout '" + dir_.file("plain.xlsx") + "'");
  EXPECT_EQ(seen.find("part\t"), std::string::npos) << seen;
  EXPECT_NE(seen.find("两率一分\tprint\t$1:$3\tlandscape"), std::string::npos) << seen;
}

}  // namespace
}  // namespace valdrex::io
