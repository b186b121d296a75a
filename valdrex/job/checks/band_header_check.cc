#include "valdrex/job/checks/band_header_check.h"

#include "valdrex/bands/counters.h"
#include "valdrex/gradebook/report_layout.h"
#include "valdrex/host/failure.h"
#include "valdrex/host/number_text.h"
#include "valdrex/host/text.h"
#include "valdrex/job/checks/look_alike.h"
#include "valdrex/job/session/cell_name.h"

namespace valdrex {

namespace {

bool isEmptyAt(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col)).empty();
}

bool rejected(const Variant& result) {
  return result.kind() == VarKind::Integer && result.number() == -1;
}

std::string scoreBandText(const Band& b) {
  const std::string lower = doubleText(b.lower), upper = doubleText(b.upper);
  if (b.kind == Band::Kind::Highest) return "最高分";
  if (b.kind == Band::Kind::Lowest) return "最低分";
  if (b.kind == Band::Kind::Exact) return "分数正好是 " + lower + " 的人数";
  if (b.upper >= kOpenBandTop) return "分数不低于 " + lower + " 的人数";
  if (b.lower == 0) return "分数低于 " + upper + " 的人数";
  return "分数在 " + lower + "（含）到 " + upper + "（不含）之间的人数";
}

std::string rankBandText(const Band& b) {
  const std::string lower = doubleText(b.lower), upper = doubleText(b.upper);
  if (b.kind == Band::Kind::Exact) return "第 " + lower + " 名的人数";
  if (b.upper >= kOpenBandTop) return "第 " + lower + " 名及以后的人数";
  return "第 " + lower + " 到第 " + upper + " 名的人数";
}

struct BandReading {
  Band (*band)(const std::string&);
  std::string (*text)(const Band&);
};

// A label written with full-width digits or a look-alike dash is read as something else than
// the teacher meant, or not at all; `meant` is then the label as it should be written.
std::string misreadLabel(const BandReading& reading, const std::string& written, bool rejected,
                         Band& read, Band& meant) {
  const std::string trimmed = trimBlanks(written);
  const std::string plain = trimBlanks(plainBandLabel(trimmed));
  if (plain == trimmed) return {};
  read = reading.band(trimmed);
  meant = reading.band(plain);
  if (meant.kind == Band::Kind::None || (!rejected && read == meant)) return {};
  return plain;
}

// Header rows of the tables, one per subject and the total. A sheet whose first header cell is
// empty gets default headers on the next run, so there is nothing to check.
template <class Counter>
void checkSheet(host::MemoryWorkbook& wb, const TableSheetLayout& layout, const GradeBook& g,
                Counter counter, const BandReading& reading, CheckReport& report) {
  constexpr int first = TableSheetLayout::firstBandColumn;
  host::MemorySheet* sh = wb.find(layout.name);
  if (!sh || isEmptyAt(*sh, TableSheetLayout::firstHeaderRow, first)) return;
  const int classes = g.classCount;
  for (int16_t j = 1; j <= g.subjectCount + 1; ++j) {
    const int row = layout.headerRow(j, classes);
    if (isEmptyAt(*sh, row, first)) continue;
    for (int col = first; col <= layout.lastBandColumn && !isEmptyAt(*sh, row, col); ++col) {
      std::string label = textOf(sh->cell(row, col));
      const std::string written = label;
      int16_t subject = j, noClass = 0;
      Variant result;
      if (!attempt([&] { result = counter(g, subject, noClass, label); })) continue;
      const std::string place = sheetCellName(sh->name(), row, col);
      Band read, meant;
      const std::string plain = misreadLabel(reading, written, rejected(result), read, meant);
      if (rejected(result))
        report.findings.push_back(
            {place,
             "“" + written + "”不是有效的区间，统计会在这里停下并提示“区间划分格式错误”" +
                 (plain.empty() ? ""
                                : "。若指的是" + reading.text(meant) + "，请写成“" + plain + "”")});
      else if (!plain.empty())
        report.findings.push_back({place,
                                   "“" + written + "”会统计" + reading.text(read) + "，而不是" +
                                       reading.text(meant) +
                                       "：程序只认半角数字和半角“-”。请写成“" + plain + "”",
                                   false, true});
    }
  }
}

}  // namespace

void checkBandHeaders(host::MemoryWorkbook& wb, const GradeBook& g, CheckReport& report) {
  checkSheet(wb, kScoreBandLayout, g, countScoreBand, {scoreBand, scoreBandText}, report);
  checkSheet(wb, kRankBandLayout, g, countRankBand, {rankBand, rankBandText}, report);
}

}  // namespace valdrex
