// Speed of the analysis layer: the linear Kramers-Kronig test and a circuit fit, each on
// 100 points of a spectrum with the virtual board's noise.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <random>

#include "analysis/circuit_fit.h"
#include "analysis/lin_kk.h"
#include "circuit/circuit_expression.h"

namespace {

using namespace quelnor;

analysis::Spectrum noisy_spectrum(const char* text, double low_hz, double high_hz) {
  const auto circuit = circuit::CircuitExpression::parse(text);
  std::mt19937_64 random(1);
  analysis::Spectrum spectrum;
  for (int i = 0; i < 100; ++i) {
    analysis::SpectrumPoint p;
    p.frequency_hz = low_hz * std::pow(high_hz / low_hz, i / 99.0);
    const std::complex<double> z = circuit.impedance(p.frequency_hz);
    std::normal_distribution<double> gauss(0.0, 0.0005 * std::abs(z) / std::sqrt(2.0));
    p.impedance_ohm = z + std::complex<double>(gauss(random), gauss(random));
    spectrum.points.push_back(p);
  }
  return spectrum;
}

void BM_LinKk100Points(benchmark::State& state) {
  const analysis::Spectrum spectrum = noisy_spectrum("R100+(R1k||Q(10u,0.85))", 1, 1e5);
  for (auto _ : state) {
    const analysis::KkResult r = analysis::lin_kk(spectrum);
    benchmark::DoNotOptimize(r.mu);
  }
}
BENCHMARK(BM_LinKk100Points)->Unit(benchmark::kMillisecond);

// Five parameters: a Randles circuit with a CPE and a Warburg element.
void BM_Fit5Parameters100Points(benchmark::State& state) {
  const analysis::Spectrum spectrum =
      noisy_spectrum("R20+((R200+W150)||Q(20u,0.9))", 0.1, 1e5);
  const auto model = circuit::CircuitExpression::parse("R0=10+((R1=100+W1=300)||Q1=(50u,0.8))");
  for (auto _ : state) {
    const analysis::FitResult fit = analysis::fit_circuit(model, spectrum);
    benchmark::DoNotOptimize(fit.chi_square);
  }
}
BENCHMARK(BM_Fit5Parameters100Points)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
