#include "cli/band_header_check.h"

#include "cli/cell_name.h"
#include "host/failure.h"

namespace valdrex::cli {

namespace {

bool isEmptyAt(const host::Worksheet& sh, int row, int col) {
  return textOf(sh.cell(row, col)).empty();
}

bool rejected(const Variant& result) {
  return result.kind() == VarKind::Integer && result.number() == -1;
}

// Header rows of the tables, one per subject and the total, `gap` rows apart. A sheet whose C3
// is empty gets default headers on the next run, so there is nothing to check.
template <class Counter>
void checkSheet(host::MemoryWorkbook& wb, std::string_view name, int gap, int lastColumn,
                ValdrexCls& vd, Counter counter, CheckReport& report) {
  host::MemorySheet* sh = wb.find(name);
  if (!sh || isEmptyAt(*sh, 3, 3)) return;
  const int classes = vd.班级数();
  for (int16_t j = 1; j <= vd.km() + 1; ++j) {
    const int row = 3 + (j - 1) * (classes + gap);
    if (isEmptyAt(*sh, row, 3)) continue;
    for (int col = 3; col <= lastColumn && !isEmptyAt(*sh, row, col); ++col) {
      std::string label = textOf(sh->cell(row, col));
      const std::string written = label;
      int16_t subject = j, noClass = 0;
      Variant result;
      if (!attempt([&] { result = counter(vd, subject, noClass, label); })) continue;
      if (rejected(result))
        report.findings.push_back(
            {sheetCellName(sh->name(), row, col),
             "“" + written + "”不是有效的区间，统计会在这里停下并提示“区间划分格式错误”"});
    }
  }
}

}  // namespace

void checkBandHeaders(host::MemoryWorkbook& wb, ValdrexCls& vd, CheckReport& report) {
  checkSheet(
      wb, "分数段统计", 3, host::kMaxColumns, vd,
      [](ValdrexCls& o, int16_t& k, int16_t& b, std::string& s) { return o.计数器(k, b, s); },
      report);
  checkSheet(
      wb, "名次段统计", 2, 102, vd,
      [](ValdrexCls& o, int16_t& k, int16_t& b, std::string& s) { return o.计数器2(k, b, s); },
      report);
}

}  // namespace valdrex::cli
