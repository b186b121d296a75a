#include "grade_fixture.h"

#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "support/scripted_ui.h"
#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/run/statistics_run.h"

namespace valdrex::bench {

std::unique_ptr<host::MemoryWorkbook> gradeWorkbook(int classes) {
  return sampleWorkbook({classes, kStudents, kSubjects, 1});
}

void runStatistics(GradeBook& g, host::MemoryWorkbook& wb) {
  host::ScriptedUi ui;
  ui.queueInput("5");
  ui.queueInput("20");
  host::FixedClock clock({2026, 12, 6});
  compileReports(g, wb, wb.sheet("成绩表"), ui, clock);
  // A run that lost a step would measure less work than a real one.
  if (ui.dialogs().size() != 3) throw std::logic_error("the run asked or told something unusual");
}

std::string tempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("valdrex-bench-" + std::to_string(getpid()) + "-" + name))
      .string();
}

}  // namespace valdrex::bench
