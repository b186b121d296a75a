// Ranking every subject and the total of the largest grade, from a loaded grade book.
#include <benchmark/benchmark.h>

#include "grade_fixture.h"
#include "support/scripted_ui.h"
#include "valdrex/gradebook/layout.h"
#include "valdrex/gradebook/loading.h"
#include "valdrex/gradebook/subject_ranking.h"

namespace valdrex::bench {
namespace {

void BM_各科排名_largest_grade(benchmark::State& state) {
  auto wb = gradeWorkbook(20);
  auto g = std::make_unique<GradeBook>();
  host::ScriptedUi ui;
  host::Worksheet& sh = wb->sheet("成绩表");
  初始化(*g, sh, ui);
  载入班级(*g, sh, ui);
  载入成绩(*g, sh, &wb->sheet("属性表"), ui);
  求和(*g);
  // Ranking writes only the rank tables, so the same loaded grade serves every iteration.
  for (auto _ : state) {
    各科排名(*g);
    benchmark::DoNotOptimize(g->schoolRanks(20, 100, g->km + 1));
  }
}
BENCHMARK(BM_各科排名_largest_grade)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace valdrex::bench
