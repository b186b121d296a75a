#include "valdrex/job/session/workbook_sheets.h"

#include <algorithm>

namespace valdrex {

bool isReportSheet(std::string_view name) {
  return std::find(kReportSheetNames.begin(), kReportSheetNames.end(), name) !=
             kReportSheetNames.end() ||
         std::find(kAskedReportSheetNames.begin(), kAskedReportSheetNames.end(), name) !=
             kAskedReportSheetNames.end();
}

host::MemorySheet* findScoreSheet(host::MemoryWorkbook& wb,
                                  const std::optional<std::string>& wanted) {
  if (wanted) return wb.find(*wanted);
  for (std::size_t i = 0; i < wb.sheetCount(); ++i) {
    host::MemorySheet& sh = wb.sheetAt(i);
    if (sh.name() != PropertySheetLayout::name && sh.name() != kChartSheetName &&
        !isReportSheet(sh.name()))
      return &sh;
  }
  return nullptr;
}

std::string reportNameWithoutCells(const host::MemoryWorkbook& wb) {
  for (const std::string& name : wb.sheetsWithoutCells)
    if (std::find(kReportSheetNames.begin(), kReportSheetNames.end(), name) !=
        kReportSheetNames.end())
      return name;
  return "";
}

std::vector<std::string> addMissingReportSheets(host::MemoryWorkbook& wb) {
  std::vector<std::string> added;
  for (std::string_view name : kReportSheetNames) {
    if (wb.find(name)) continue;
    wb.addSheet(std::string(name));
    added.emplace_back(name);
  }
  return added;
}

std::vector<std::string> filledReportSheets(host::MemoryWorkbook& wb) {
  std::vector<std::string> filled;
  for (std::string_view name : kReportSheetNames) {
    host::MemorySheet* sh = wb.find(name);
    if (sh && sh->cellCount() > 0) filled.emplace_back(name);
  }
  return filled;
}

namespace {

bool holdsNoCells(const host::MemoryWorkbook& wb, std::string_view name) {
  const auto& others = wb.sheetsWithoutCells;
  return std::find(others.begin(), others.end(), name) != others.end();
}

std::string noCells(std::string_view name, std::string_view role) {
  return "“" + std::string(name) + "”是图表工作表（或对话框工作表），没有单元格，不能当作" +
         std::string(role);
}

}  // namespace

std::string scoreSheetMissing(host::MemoryWorkbook& wb, const std::optional<std::string>& wanted) {
  if (wanted && holdsNoCells(wb, *wanted)) return noCells(*wanted, "成绩表");
  if (wanted) return "工作簿里没有名为“" + *wanted + "”的工作表（现有：" + sheetList(wb) + "）";
  for (const std::string& name : wb.sheetsWithoutCells)
    if (name != PropertySheetLayout::name && name != kChartSheetName && !isReportSheet(name))
      return "找不到成绩表：" + noCells(name, "成绩表");
  return "找不到成绩表：除“属性表”和报告表外没有别的工作表（现有：" + sheetList(wb) + "）";
}

std::string propertySheetMissing(const host::MemoryWorkbook& wb) {
  if (holdsNoCells(wb, PropertySheetLayout::name))
    return noCells(PropertySheetLayout::name, "属性表");
  return "缺少“属性表”";
}

std::string sheetList(host::MemoryWorkbook& wb) {
  std::string list;
  for (std::size_t i = 0; i < wb.sheetCount(); ++i) {
    if (i > 0) list += "、";
    list += wb.sheetAt(i).name();
  }
  return list.empty() ? "（没有工作表）" : list;
}

}  // namespace valdrex
