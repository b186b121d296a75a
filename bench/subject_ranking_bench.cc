// Ranking every subject and the total of the largest grade, from a loaded grade book.
#include <benchmark/benchmark.h>

#include "grade_fixture.h"
#include "support/scripted_ui.h"
#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/subject_ranking.h"

namespace valdrex::bench {
namespace {

void BM_rankSubjects_largest_grade(benchmark::State& state) {
  auto wb = gradeWorkbook(20);
  auto g = std::make_unique<GradeBook>();
  host::ScriptedUi ui;
  host::Worksheet& sh = wb->sheet("成绩表");
  findLayout(*g, sh, ui);
  loadClasses(*g, sh, ui);
  loadScores(*g, sh, &wb->sheet("属性表"), ui);
  sumTotals(*g);
  // Ranking writes only the rank tables, so the same loaded grade serves every iteration.
  for (auto _ : state) {
    rankSubjects(*g);
    benchmark::DoNotOptimize(g->schoolRanks(20, 100, g->subjectCount + 1));
  }
}
BENCHMARK(BM_rankSubjects_largest_grade)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace valdrex::bench
