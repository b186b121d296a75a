// The whole statistics run in memory: the largest grade, and how the cost grows with the grade.
#include <benchmark/benchmark.h>

#include "grade_fixture.h"

namespace valdrex::bench {
namespace {

// Every iteration runs on a fresh workbook and a fresh grade book; making them is not timed.
void runOnFreshGrade(benchmark::State& state, int classes) {
  for (auto _ : state) {
    state.PauseTiming();
    auto wb = gradeWorkbook(classes);
    auto g = std::make_unique<GradeBook>();
    state.ResumeTiming();
    runStatistics(*g, *wb);
    state.PauseTiming();
    wb.reset();
    g.reset();
    state.ResumeTiming();
  }
  state.counters["students"] = classes * kStudents;
}

void BM_compileReports_largest_grade(benchmark::State& state) { runOnFreshGrade(state, 20); }
BENCHMARK(BM_compileReports_largest_grade)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_compileReports_by_classes(benchmark::State& state) {
  runOnFreshGrade(state, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_compileReports_by_classes)
    ->ArgName("classes")
    ->Arg(1)
    ->Arg(5)
    ->Arg(10)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace valdrex::bench
