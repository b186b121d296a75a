#include "valdrex/job/made/workbook_layout.h"

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/job/session/workbook_sheets.h"

namespace valdrex {

namespace {

using SS = ScoreSheetLayout;
using PS = PropertySheetLayout;

Variant number(double x) { return Variant::number(x); }

// Weights of the composite scores: average, excellent rate, pass rate, low rate (subtracted);
// then first tier, second tier and average completion.
constexpr double kWeights[PS::weightRows] = {1, 0.5, 0.5, 0.3, 0.4, 0.3, 0.3};
constexpr const char* kWeightLabels[PS::weightRows] = {
    "平均分", "优秀率", "及格率", "低分率", "一档完成率", "二档完成率", "平均分完成率"};

}  // namespace

void writeScoreSheetHead(host::Worksheet& sh, const std::string& title,
                         const std::vector<SubjectSetting>& subjects) {
  auto text = [](std::string_view s) { return std::string(s); };
  sh.setCell(SS::titleRow, 1, title);
  sh.setCell(SS::rawFullMarkRow, SS::nameColumn, text(SS::rawFullMarkLabel));
  sh.setCell(SS::headerRow, SS::classColumn, text(SS::classHeader));
  sh.setCell(SS::headerRow, SS::seatColumn, text(SS::seatHeader));
  sh.setCell(SS::headerRow, SS::nameColumn, text(SS::nameHeader));
  for (std::size_t j = 0; j < subjects.size(); ++j) {
    const int col = SS::firstSubjectColumn + static_cast<int>(j);
    sh.setCell(SS::rawFullMarkRow, col, number(subjects[j].rawFullMark));
    sh.setCell(SS::headerRow, col, subjects[j].name);
  }
}

void writePropertySheet(host::Worksheet& sh, const std::vector<SubjectSetting>& subjects,
                        const std::vector<std::string>& classNames,
                        const std::vector<std::vector<std::string>>& teachers) {
  constexpr int label = PS::labelColumn, first = PS::firstSubjectColumn;
  const int total = first + static_cast<int>(subjects.size());
  sh.setCell(1, label, std::string(PS::name) + "（各科满分、分数线、权重和任课教师）");
  sh.setCell(PS::subjectHeaderRow, label, "项目");
  sh.setCell(PS::weightHeaderRow, label, "综合积分权重");
  sh.setCell(PS::classHeaderRow, label, std::string(SS::classHeader));
  const char* lineLabels[PS::markLineRows] = {"满分", "优秀线", "及格线", "低分线"};
  const double lineShares[PS::markLineRows] = {1.0, 0.85, 0.6, 0.4};
  for (int r = 0; r < PS::markLineRows; ++r) sh.setCell(PS::fullMarkRow + r, label, lineLabels[r]);
  for (int r = 0; r < PS::weightRows; ++r)
    sh.setCell(PS::firstWeightRow + r, label, kWeightLabels[r]);

  int totalFull = 0;
  for (int col = first; col <= total; ++col) {
    const bool isTotal = col == total;
    const int full = isTotal ? totalFull : subjects[col - first].fullMark;
    if (!isTotal) totalFull += full;
    const std::string name = isTotal ? std::string(SS::totalHeader) : subjects[col - first].name;
    sh.setCell(PS::subjectHeaderRow, col, name);
    sh.setCell(PS::weightHeaderRow, col, name);
    sh.setCell(PS::classHeaderRow, col, isTotal ? "班主任" : name);
    for (int r = 0; r < PS::markLineRows; ++r)
      sh.setCell(PS::fullMarkRow + r, col, number(roundHalfEven(full * lineShares[r])));
    for (int r = 0; r < PS::weightRows; ++r)
      sh.setCell(PS::firstWeightRow + r, col, number(kWeights[r]));
  }

  for (std::size_t c = 0; c < classNames.size(); ++c) {
    const int row = PS::firstClassRow + static_cast<int>(c);
    sh.setCell(row, label, classNames[c]);
    if (c >= teachers.size()) continue;
    for (std::size_t j = 0; j < teachers[c].size() && first + static_cast<int>(j) <= total; ++j)
      sh.setCell(row, first + static_cast<int>(j), teachers[c][j]);
  }
}

void addReportSheets(host::MemoryWorkbook& wb) { addMissingReportSheets(wb); }

}  // namespace valdrex
