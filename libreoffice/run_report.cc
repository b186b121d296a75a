#include "libreoffice/run_report.h"

#include "libreoffice/calc_commands.h"

namespace valdrex::calc {

namespace {

const char* kindWord(const Finding& f) {
  switch (f.kind()) {
    case FindingKind::stopsLoading:
      return "错误：";
    case FindingKind::wrongResult:
      return "警告：";
    case FindingKind::note:
      break;
  }
  return "注意：";
}

// The job lists a finding that makes the result wrong among the warnings too; told once here.
bool isFinding(const JobOutcome& outcome, const std::string& warning) {
  for (const Finding& f : outcome.findings)
    if (warning == f.place + "：" + f.text) return true;
  return false;
}

std::string countedLine(const JobOutcome& outcome) {
  std::string line = "统计了 " + std::to_string(outcome.classes) + " 个班、" +
                     std::to_string(outcome.students) + " 名学生、" +
                     std::to_string(outcome.subjects) + " 个科目";
  if (const int left = outcome.leftOut.total(); left > 0) {
    std::string why;
    if (outcome.leftOut.blankClass)
      why = "班级为空 " + std::to_string(outcome.leftOut.blankClass) + " 行";
    if (outcome.leftOut.belowBlankRow)
      why += (why.empty() ? "" : "，") + std::string("名单中的空行下方 ") +
             std::to_string(outcome.leftOut.belowBlankRow) + " 行";
    line += "（另有 " + std::to_string(left) + " 行没有统计：" + why + "）";
  }
  line += "；写入 " + std::to_string(outcome.reportSheets.size()) + " 张报告表";
  if (!outcome.chartSheet.empty())
    line += "，“" + outcome.chartSheet + "” " + std::to_string(outcome.charts) + " 幅图表";
  return line + "。";
}

}  // namespace

RunReport runReport(const JobOutcome& outcome) {
  RunReport report;
  const bool refused = !outcome.problem.empty();
  std::vector<std::string> warnings;
  for (const std::string& w : outcome.warnings)
    if (!isFinding(outcome, w)) warnings.push_back(w);
  if (!refused && outcome.findings.empty() && warnings.empty() && outcome.notes.empty() &&
      outcome.leftOut.total() == 0)
    return report;

  auto add = [&](std::string line, std::optional<std::size_t> finding = std::nullopt) {
    report.lines.push_back(std::move(line));
    report.findingOf.push_back(finding);
  };
  for (std::size_t i = 0; i < outcome.findings.size(); ++i)
    add(kindWord(outcome.findings[i]) + findingLine(outcome.findings[i]), i);
  if (!refused) add(countedLine(outcome));
  for (const std::string& w : warnings) add("警告：" + w);
  for (const std::string& note : outcome.notes) add("注意：" + note);
  if (refused) add(problemLine(outcome));

  const std::string choose =
      outcome.findings.empty() ? "" : "选中标有单元格的一条，即转到它所在的单元格。";
  report.heading = refused ? "统计没有写入结果，原因在最后一条。" + choose
                           : "统计已完成，请看下面各条。" + choose;
  return report;
}

}  // namespace valdrex::calc
