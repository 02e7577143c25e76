// Speed of number_text on the values a sweep export writes: frequencies, impedances,
// phases, raw data and gain factors.
#include <benchmark/benchmark.h>

#include <cstddef>

#include "util/numbers.h"

namespace {

constexpr double typical_values[] = {
    30000,
    30100.5,
    199987.654321,
    -0.25,
    -89.8765432109876,
    9739.4215,
    -4871.0,
    5.13427021632825E-10,
    1.5E+15,
    0.00001,
    0,
    1234.5678,
    200000,
    17.3,
    -1.23456789012345E-7,
};

void BM_number_text_typical(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(quelnor::util::number_text(typical_values[i]));
    i = (i + 1) % std::size(typical_values);
  }
}
BENCHMARK(BM_number_text_typical);

void BM_lenient_number_typical(benchmark::State& state) {
  const char* texts[] = {"30000", "200E3", "15E-12", "5.13427021632825E-10", " 1 2 3 ", "1k"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(quelnor::util::lenient_number(texts[i]));
    i = (i + 1) % std::size(texts);
  }
}
BENCHMARK(BM_lenient_number_typical);

}  // namespace

BENCHMARK_MAIN();
