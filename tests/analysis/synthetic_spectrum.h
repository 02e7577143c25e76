// Spectra computed from known circuits, optionally with the virtual board's level of
// random error, for the fitting and validation tests.
#pragma once

#include <cmath>
#include <complex>
#include <random>
#include <string>

#include "analysis/spectrum.h"
#include "circuit/circuit_expression.h"

namespace quelnor::analysis::testing {

// The virtual board's relative noise: 0.05 % of |Z| rms, split over both components.
constexpr double board_noise_fraction = 0.0005;

// points frequencies spaced logarithmically from low_hz to high_hz.
inline Spectrum synthetic_spectrum(const std::string& circuit_text, double low_hz, double high_hz,
                                   int points, double noise_fraction = 0.0,
                                   std::mt19937_64* random = nullptr) {
  const auto circuit = circuit::CircuitExpression::parse(circuit_text);
  Spectrum spectrum;
  for (int i = 0; i < points; ++i) {
    const double f = low_hz * std::pow(high_hz / low_hz, i / double(points - 1));
    std::complex<double> z = circuit.impedance(f);
    if (noise_fraction > 0.0 && random != nullptr) {
      std::normal_distribution<double> gauss(0.0, noise_fraction * std::abs(z) / std::sqrt(2.0));
      z += std::complex<double>(gauss(*random), gauss(*random));
    }
    SpectrumPoint point;
    point.frequency_hz = f;
    point.impedance_ohm = z;
    spectrum.points.push_back(point);
  }
  return spectrum;
}

}  // namespace quelnor::analysis::testing
