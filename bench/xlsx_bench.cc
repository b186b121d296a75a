// Reading the largest input workbook and writing the largest run's result.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "grade_fixture.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"

namespace valdrex::bench {
namespace {

void BM_read_largest_input(benchmark::State& state) {
  const std::string input = tempPath("input.xlsx");
  io::writeWorkbook(*gradeWorkbook(20), input);
  for (auto _ : state) benchmark::DoNotOptimize(io::readWorkbook(input));
  std::remove(input.c_str());
}
BENCHMARK(BM_read_largest_input)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_write_largest_result(benchmark::State& state) {
  auto wb = gradeWorkbook(20);
  auto g = std::make_unique<GradeBook>();
  runStatistics(*g, *wb);
  const std::string output = tempPath("result.xlsx");
  for (auto _ : state) io::writeWorkbook(*wb, output);
  std::remove(output.c_str());
}
BENCHMARK(BM_write_largest_result)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace valdrex::bench
