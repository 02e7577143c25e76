// A marker's full readout on a 10,000-point trace: find the neighbours, interpolate, derive
// every quantity and format it; and the marker searches over the same trace.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "analysis/engineering_format.h"
#include "analysis/impedance_quantities.h"
#include "analysis/marker_search.h"
#include "analysis/trace_interpolation.h"

namespace {

using namespace quelnor::analysis;

std::vector<SpectrumPoint> rlc_trace(int count) {
  std::vector<SpectrumPoint> points(count);
  for (int i = 0; i < count; ++i) {
    const double f = 100.0 * std::pow(1e4, i / double(count - 1));
    const double w = 2 * std::numbers::pi * f;
    points[i].frequency_hz = f;
    points[i].impedance_ohm = {10.0, w * 1e-3 - 1 / (w * 1e-6)};
  }
  return points;
}

void BM_MarkerReadout(benchmark::State& state) {
  const auto points = rlc_trace(10000);
  double f = 1234.5;
  for (auto _ : state) {
    const auto z = interpolate_impedance(points, f);
    const ImpedanceQuantities q = impedance_quantities(f, *z);
    std::string text = engineering_text(q.frequency_hz, "Hz", 4) + engineering_text(q.magnitude_ohm, "Ohm") +
                       phase_text(q.phase_deg) + engineering_text(q.resistance_ohm, "Ohm") +
                       engineering_text(q.reactance_ohm, "Ohm") + engineering_text(q.conductance_s, "S") +
                       engineering_text(q.susceptance_s, "S") + reactive_element_text(q, false) +
                       reactive_element_text(q, true) + engineering_text(q.quality_factor, "") +
                       engineering_text(q.dissipation_factor, "");
    benchmark::DoNotOptimize(text);
    f = f < 9e5 ? f * 1.37 : 123.4;  // wander across the trace
  }
}
BENCHMARK(BM_MarkerReadout);

void BM_MarkerSearch(benchmark::State& state) {
  const auto points = rlc_trace(10000);
  const auto search = static_cast<MarkerSearch>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(search_frequency(points, search));
}
BENCHMARK(BM_MarkerSearch)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
