#include "valdrex/job/made/template_workbook.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/argument_text.h"
#include "valdrex/job/made/workbook_layout.h"
#include "valdrex/job/presentation/print_ready.h"

namespace valdrex {

namespace {

constexpr int kMaxFullMark = 1000;

// "语文", "语文:150" or "语文：150".
SubjectSetting subjectSetting(const std::string& item) {
  std::size_t colon = item.rfind(':');
  std::size_t width = 1;
  if (const std::size_t wide = item.rfind("：");
      wide != std::string::npos && (colon == std::string::npos || wide > colon)) {
    colon = wide;
    width = std::string_view("：").size();
  }
  if (colon == std::string::npos) return {item, kDefaultFullMark, kDefaultFullMark};
  const std::string name = trimSpaces(item.substr(0, colon));
  const std::string mark = trimSpaces(item.substr(colon + width));
  const bool digits =
      !mark.empty() && mark.size() <= 4 &&
      std::all_of(mark.begin(), mark.end(), [](char c) { return c >= '0' && c <= '9'; });
  const int full = digits ? std::stoi(mark) : 0;
  if (full < 1 || full > kMaxFullMark)
    throw std::invalid_argument("科目“" + name + "”的满分应为 1 到 " +
                                std::to_string(kMaxFullMark) + " 之间的整数，而不是“" + mark +
                                "”，例如 " + (name.empty() ? "语文" : name) + ":150");
  return {name, full, full};
}

void checkSubjects(const std::vector<SubjectSetting>& subjects) {
  if (subjects.empty() || subjects.size() > std::size_t{ModelLimits::subjects})
    throw std::invalid_argument("科目应有 1 到 " + std::to_string(ModelLimits::subjects) +
                                " 个，而不是 " + std::to_string(subjects.size()) + " 个");
  for (std::size_t i = 0; i < subjects.size(); ++i) {
    const std::string& name = subjects[i].name;
    if (name.empty()) throw std::invalid_argument("科目名不能为空");
    // The header scan stops at "总分"; the leading columns are found by these names.
    using SS = ScoreSheetLayout;
    if (name == SS::totalHeader || name == SS::classRankHeader || name == SS::schoolRankHeader ||
        name == SS::classHeader || name == SS::seatHeader || name == SS::examNumberHeader ||
        name == SS::nameHeader)
      throw std::invalid_argument("“" + name + "”不能用作科目名");
    if (std::any_of(subjects.begin(), subjects.begin() + i,
                    [&](const SubjectSetting& s) { return s.name == name; }))
      throw std::invalid_argument("科目“" + name + "”重复了");
  }
}

}  // namespace

std::unique_ptr<host::MemoryWorkbook> templateWorkbook(const TemplateOptions& options) {
  std::vector<SubjectSetting> subjects;
  for (const std::string& item : options.subjects) subjects.push_back(subjectSetting(item));
  checkSubjects(subjects);
  if (options.classes < 1 || options.classes > ModelLimits::classes)
    throw std::invalid_argument("班级数应在 1 到 " + std::to_string(ModelLimits::classes) +
                                " 之间，而不是 " + std::to_string(options.classes));

  std::vector<std::string> classNames;
  for (int c = 1; c <= options.classes; ++c) classNames.push_back(std::to_string(c) + "班");

  auto wb = std::make_unique<host::MemoryWorkbook>();
  writeScoreSheetHead(wb->addSheet(std::string(ScoreSheetLayout::defaultName)), "考试成绩",
                      subjects);
  writePropertySheet(wb->addSheet(std::string(PropertySheetLayout::name)), subjects, classNames);
  addReportSheets(*wb);
  makeNewWorkbookPrintReady(*wb);
  return wb;
}

}  // namespace valdrex
