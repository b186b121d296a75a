#include "valdrex/job/made/sample_workbook.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "valdrex/gradebook/sheet_layout.h"
#include "valdrex/host/arithmetic.h"
#include "valdrex/job/made/chinese_names.h"
#include "valdrex/job/made/sample_random.h"
#include "valdrex/job/made/workbook_layout.h"
#include "valdrex/job/presentation/print_ready.h"

namespace valdrex {

namespace {

// Raw full marks as the papers are marked; physics is marked out of 110 and scaled to 100, so
// that the sample shows the scaling.
const std::vector<SubjectSetting> kSubjects = {
    {"语文", 150, 150}, {"数学", 150, 150}, {"英语", 150, 150}, {"物理", 110, 100},
    {"化学", 100, 100}, {"生物", 90, 90},   {"政治", 100, 100}, {"历史", 100, 100},
    {"地理", 100, 100}, {"信息", 50, 50},   {"体育", 60, 60},   {"音乐", 30, 30}};

constexpr double kAbsentShare = 0.012;

void checkRange(const char* what, int value, int low, int high) {
  if (value < low || value > high)
    throw std::invalid_argument(std::string(what) + "应在 " + std::to_string(low) + " 到 " +
                                std::to_string(high) + " 之间，而不是 " + std::to_string(value));
}

// A score around 70 % of the full mark: the student's ability plus the day's form, clipped.
double drawScore(SampleRandom& random, double ability, int rawFull) {
  double share = 0.7 + 0.12 * ability + 0.08 * random.normal();
  return std::clamp(roundHalfEven(share * rawFull), 0.0, static_cast<double>(rawFull));
}

}  // namespace

std::unique_ptr<host::MemoryWorkbook> sampleWorkbook(const SampleOptions& options) {
  checkRange("班级数", options.classes, 1, ModelLimits::classes);
  checkRange("每班人数", options.students, 1, ModelLimits::studentsPerClass);
  checkRange("科目数", options.subjects, 1, ModelLimits::subjects);

  SampleRandom random(options.seed);
  const std::vector<SubjectSetting> subjects(kSubjects.begin(),
                                             kSubjects.begin() + options.subjects);
  auto wb = std::make_unique<host::MemoryWorkbook>();
  host::MemorySheet& scores = wb->addSheet(std::string(ScoreSheetLayout::defaultName));
  writeScoreSheetHead(scores, "高一年级期末考试成绩", subjects);

  std::vector<std::string> classNames;
  using SS = ScoreSheetLayout;
  int row = SS::firstStudentRow;
  for (int c = 1; c <= options.classes; ++c) {
    classNames.push_back(std::to_string(c) + "班");
    // Classes differ a little, as real ones do.
    const double classLevel = 0.3 * random.normal();
    for (int s = 1; s <= options.students; ++s, ++row) {
      scores.setCell(row, SS::classColumn, classNames.back());
      scores.setCell(row, SS::seatColumn, Variant::number(s));
      scores.setCell(row, SS::nameColumn, personName(random));
      const double ability = classLevel + random.normal();
      for (std::size_t j = 0; j < subjects.size(); ++j) {
        double score = drawScore(random, ability, subjects[j].rawFullMark);
        if (random.unit() < kAbsentShare) continue;  // absent: the cell stays empty
        scores.setCell(row, SS::firstSubjectColumn + static_cast<int>(j), Variant::number(score));
      }
    }
  }

  std::vector<std::vector<std::string>> teachers(classNames.size());
  for (auto& classTeachers : teachers)
    for (std::size_t j = 0; j <= subjects.size(); ++j) classTeachers.push_back(teacherName(random));
  writePropertySheet(wb->addSheet(std::string(PropertySheetLayout::name)), subjects, classNames,
                     teachers);
  addReportSheets(*wb);
  makeNewWorkbookPrintReady(*wb);
  return wb;
}

}  // namespace valdrex
