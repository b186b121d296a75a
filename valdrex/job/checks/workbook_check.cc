#include "valdrex/job/checks/workbook_check.h"

#include <algorithm>

#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/limits_message.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/io/write_limits.h"
#include "valdrex/job/checks/band_header_check.h"
#include "valdrex/job/checks/property_sheet_check.h"
#include "valdrex/job/checks/score_sheet_check.h"
#include "valdrex/job/files/output_paths.h"
#include "valdrex/job/session/cell_name.h"
#include "valdrex/job/session/loading_session.h"
#include "valdrex/job/session/workbook_sheets.h"

namespace valdrex {

namespace {

std::string joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "、") + p;
  return out;
}

void describeLayout(const host::Worksheet& sh, const ScoreSheetShape& shape, CheckReport& report) {
  report.layout.push_back("成绩表：“" + sh.name() + "”，" + std::to_string(shape.subjects) +
                          " 个科目（" + joined(shape.subjectNames) + "）");
  std::vector<std::string> classes;
  for (const auto& [name, size] : shape.classes)
    classes.push_back(name + " " + std::to_string(size) + " 人");
  std::string line = "班级：" + std::to_string(shape.classes.size()) + " 个";
  if (!classes.empty()) line += "（" + joined(classes) + "）";
  report.layout.push_back(line + "，共 " + std::to_string(shape.students) + " 名学生");
}

// What the writer would refuse: the run's result could not be saved.
void checkWritable(const host::MemoryWorkbook& wb, CheckReport& report) {
  constexpr std::size_t kTold = 10;
  const std::vector<io::WriteProblem> problems = io::writeProblems(wb, wb.path(), kTold + 1);
  for (std::size_t i = 0; i < problems.size(); ++i) {
    const io::WriteProblem& p = problems[i];
    std::string place =
        p.sheet.empty() ? displayName(wb.path()) : sheetCellName(p.sheet, p.row, p.col);
    if (i == kTold) {
      report.findings.push_back({place, "从这一格起还有更多过长的单元格"});
      break;
    }
    report.findings.push_back({place, p.text});
  }
}

}  // namespace

CheckReport checkWorkbook(host::MemoryWorkbook& wb, const std::optional<std::string>& sheet) {
  CheckReport report;
  host::MemorySheet* scoreSheet = findScoreSheet(wb, sheet);
  if (!scoreSheet) {
    report.findings.push_back({sheet ? *sheet : std::string(ScoreSheetLayout::defaultName),
                               scoreSheetMissing(wb, sheet), true});
    return report;
  }
  const ScoreSheetShape shape = scoreSheetShape(*scoreSheet);
  describeLayout(*scoreSheet, shape, report);
  const bool tableFound = checkScoreSheet(*scoreSheet, shape, report);

  // The library's own loading, with its messages kept instead of shown.
  LoadingSession session;
  GradeBook& g = session.gradeBook();
  host::MemorySheet* propertySheet = wb.find(PropertySheetLayout::name);
  findLayout(g, *scoreSheet, session.ui());
  loadClasses(g, *scoreSheet, session.ui());
  const std::size_t beforeScores = session.messages().size();
  if (propertySheet) loadScores(g, *scoreSheet, propertySheet, session.ui());

  std::vector<std::string> classNames;
  for (const auto& entry : shape.classes) classNames.push_back(entry.first);
  // The property sheet is matched to the subjects and classes read: from a misplaced table
  // those are wrong, and so would be every finding about it.
  if (propertySheet) {
    if (tableFound) checkPropertySheet(*propertySheet, shape.subjects, classNames, report);
  } else {
    report.findings.push_back({std::string(PropertySheetLayout::name),
                               propertySheetMissing(wb) + "：统计会在载入时停下。", true, false,
                               false, Advice::addPropertySheet});
  }
  for (std::string_view name : kReportSheetNames)
    if (!wb.find(name))
      report.findings.push_back({std::string(name), "缺少报告表“" + std::string(name) + "”", false,
                                 false, false, Advice::reportSheetAdded});
  checkBandHeaders(wb, g, report);
  checkWritable(wb, report);

  // A loading stop the checks above did not explain is still worth telling. Class rows beyond
  // the last that counts explain the one limits message of the scores' loading, shown once
  // every row that counts is read.
  const bool explained = std::any_of(report.findings.begin(), report.findings.end(),
                                     [](const Finding& f) { return f.stopsLoading; });
  const bool extraRows = std::any_of(report.findings.begin(), report.findings.end(),
                                     [](const Finding& f) { return f.showsLimits; });
  const auto& messages = session.messages();
  for (std::size_t i = 0; i < messages.size() && !explained; ++i) {
    const bool harmless = extraRows && i == beforeScores && messages.size() == beforeScores + 1 &&
                          messages[i].text == kLimitsMessage;
    if (!harmless)
      report.findings.push_back(
          {scoreSheet->name(), "载入时会出现提示：" + messages[i].text, true});
  }
  return report;
}

}  // namespace valdrex
