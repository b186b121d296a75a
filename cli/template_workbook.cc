#include "cli/template_workbook.h"

#include <algorithm>
#include <stdexcept>

#include "cli/workbook_layout.h"
#include "cli/workbook_sheets.h"

namespace valdrex::cli {

namespace {

void checkSubjects(const std::vector<std::string>& names) {
  if (names.empty() || names.size() > 12)
    throw std::invalid_argument("科目应有 1 到 12 个，而不是 " + std::to_string(names.size()) +
                                " 个");
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (name.empty()) throw std::invalid_argument("科目名不能为空");
    // The header scan stops at "总分"; the leading columns are found by these names.
    if (name == "总分" || name == "班排" || name == "校排" || name == "班级" || name == "座号" ||
        name == "考号" || name == "姓名")
      throw std::invalid_argument("“" + name + "”不能用作科目名");
    if (std::find(names.begin(), names.begin() + i, name) != names.begin() + i)
      throw std::invalid_argument("科目“" + name + "”重复了");
  }
}

}  // namespace

std::unique_ptr<host::MemoryWorkbook> templateWorkbook(const TemplateOptions& options) {
  checkSubjects(options.subjects);
  if (options.classes < 1 || options.classes > 20)
    throw std::invalid_argument("班级数应在 1 到 20 之间，而不是 " +
                                std::to_string(options.classes));

  std::vector<SubjectSetting> subjects;
  for (const std::string& name : options.subjects) subjects.push_back({name, 100, 100});
  std::vector<std::string> classNames;
  for (int c = 1; c <= options.classes; ++c) classNames.push_back(std::to_string(c) + "班");

  auto wb = std::make_unique<host::MemoryWorkbook>();
  writeScoreSheetHead(wb->addSheet(std::string(kScoreSheetName)), "考试成绩", subjects);
  writePropertySheet(wb->addSheet(std::string(kPropertySheet)), subjects, classNames);
  addReportSheets(*wb);
  return wb;
}

}  // namespace valdrex::cli
