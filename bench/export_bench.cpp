// Speed of the impedance-data export of a 512-point sweep: formatting the block, and
// formatting plus the all-or-nothing append to a file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "model/measurement_data.h"
#include "ui/block_append.h"
#include "ui/csv_export.h"

namespace {

using namespace quelnor;

constexpr int rows = 512;

// Values of the shape a sweep leaves: frequencies, ohms, degrees and raw counts.
model::SweepTable typical_table() {
  model::SweepTable t;
  for (int i = 0; i < rows; ++i) {
    t.frequency[i] = 30000 + 2.0 * i;
    t.impedance[i] = 199876.54321 + 13.7 * i;
    t.phase[i] = -0.0123456789 * i;
    t.real_part[i] = 5843 - i;
    t.imaginary_part[i] = -7791 + 3 * i;
    t.magnitude[i] = 9738.7181 + 0.25 * i;
  }
  return t;
}

void BM_csv_block_512_rows(benchmark::State& state) {
  const model::SweepTable table = typical_table();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string block = ui::csv_block(table, rows);
    bytes = block.size();
    benchmark::DoNotOptimize(block.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_csv_block_512_rows)->Unit(benchmark::kMicrosecond);

void BM_export_512_rows_to_file(benchmark::State& state) {
  const model::SweepTable table = typical_table();
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "quelnor_export_bench.csv";
  std::filesystem::remove(file);
  for (auto _ : state) {
    const auto failure = ui::append_block(file.string(), ui::csv_block(table, rows));
    if (failure) {
      state.SkipWithError(failure->c_str());
      break;
    }
    std::filesystem::resize_file(file, 0);  // keep each append the same size
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_export_512_rows_to_file)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
