#include "valdrex/job/workbook_layout.h"

#include "valdrex/job/workbook_sheets.h"
#include "valdrex/host/arithmetic.h"

namespace valdrex {

namespace {

Variant number(double x) { return Variant::number(x); }

// Weights of the composite scores: average, excellent rate, pass rate, low rate (subtracted);
// then first tier, second tier and average completion.
constexpr double kWeights[7] = {1, 0.5, 0.5, 0.3, 0.4, 0.3, 0.3};
constexpr const char* kWeightLabels[7] = {"平均分",     "优秀率",     "及格率",      "低分率",
                                          "一档完成率", "二档完成率", "平均分完成率"};

}  // namespace

void writeScoreSheetHead(host::Worksheet& sh, const std::string& title,
                         const std::vector<SubjectSetting>& subjects) {
  sh.setCell(1, 1, title);
  sh.setCell(2, 3, "原始满分");
  sh.setCell(3, 1, "班级");
  sh.setCell(3, 2, "座号");
  sh.setCell(3, 3, "姓名");
  for (std::size_t j = 0; j < subjects.size(); ++j) {
    const int col = 4 + static_cast<int>(j);
    sh.setCell(2, col, number(subjects[j].rawFullMark));
    sh.setCell(3, col, subjects[j].name);
  }
}

void writePropertySheet(host::Worksheet& sh, const std::vector<SubjectSetting>& subjects,
                        const std::vector<std::string>& classNames,
                        const std::vector<std::vector<std::string>>& teachers) {
  const int total = static_cast<int>(subjects.size()) + 2;
  sh.setCell(1, 1, "属性表（各科满分、分数线、权重和任课教师）");
  sh.setCell(2, 1, "项目");
  sh.setCell(8, 1, "综合积分权重");
  sh.setCell(17, 1, "班级");
  const char* lineLabels[4] = {"满分", "优秀线", "及格线", "低分线"};
  const double lineShares[4] = {1.0, 0.85, 0.6, 0.4};
  for (int r = 0; r < 4; ++r) sh.setCell(3 + r, 1, lineLabels[r]);
  for (int r = 0; r < 7; ++r) sh.setCell(9 + r, 1, kWeightLabels[r]);

  int totalFull = 0;
  for (int col = 2; col <= total; ++col) {
    const bool isTotal = col == total;
    const int full = isTotal ? totalFull : subjects[col - 2].fullMark;
    if (!isTotal) totalFull += full;
    const std::string name = isTotal ? "总分" : subjects[col - 2].name;
    sh.setCell(2, col, name);
    sh.setCell(8, col, name);
    sh.setCell(17, col, isTotal ? "班主任" : name);
    for (int r = 0; r < 4; ++r) sh.setCell(3 + r, col, number(roundHalfEven(full * lineShares[r])));
    for (int r = 0; r < 7; ++r) sh.setCell(9 + r, col, number(kWeights[r]));
  }

  for (std::size_t c = 0; c < classNames.size(); ++c) {
    const int row = 18 + static_cast<int>(c);
    sh.setCell(row, 1, classNames[c]);
    if (c >= teachers.size()) continue;
    for (std::size_t j = 0; j < teachers[c].size() && 2 + static_cast<int>(j) <= total; ++j)
      sh.setCell(row, 2 + static_cast<int>(j), teachers[c][j]);
  }
}

void addReportSheets(host::MemoryWorkbook& wb) { addMissingReportSheets(wb); }

}  // namespace valdrex
