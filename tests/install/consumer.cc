// A program built against the installed library alone: runs the sample grade through the job
// API, saves the result and reads a report sheet back from the file.
#include <cstdio>
#include <string>

#include "valdrex/job/made/sample_workbook.h"
#include "valdrex/job/workbook_job.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  valdrex::WorkbookJob job(valdrex::sampleWorkbook({}), "sample");
  valdrex::ListAnswers targets({"5", "20"});
  valdrex::FixedDate date({2026, 1, 15});
  job.run(targets, date);
  const valdrex::JobOutcome& outcome = job.saveAs(argv[1]);
  if (outcome.status != valdrex::JobStatus::ok) {
    std::fprintf(stderr, "%s\n", outcome.problem.c_str());
    return 1;
  }
  try {
    valdrex::WorkbookJob missing(std::string(argv[1]) + ".missing");
    return 1;
  } catch (const valdrex::io::FileError& e) {  // thrown inside the library, caught by its type
    if (e.path().empty()) return 1;
  }
  valdrex::WorkbookJob saved(argv[1]);
  const valdrex::host::MemorySheet* report = saved.workbook().find("两率一分");
  const std::size_t cells = report ? report->cellCount() : 0;
  std::printf("%s: %d classes, %zu cells in 两率一分\n", argv[1], outcome.classes, cells);
  return cells > 0 ? 0 : 1;
}
