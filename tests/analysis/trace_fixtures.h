// Small traces for the analysis tests: components sampled at chosen frequencies.
#pragma once

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "analysis/spectrum.h"

namespace quelnor::analysis::test {

inline std::complex<double> series_rlc(double r, double l, double c, double f) {
  const double w = 2 * std::numbers::pi * f;
  return {r, w * l - (c > 0 ? 1 / (w * c) : 0.0)};
}

template <typename Impedance>
std::vector<SpectrumPoint> sampled(const std::vector<double>& frequencies, Impedance z) {
  std::vector<SpectrumPoint> points;
  for (double f : frequencies) {
    SpectrumPoint p;
    p.frequency_hz = f;
    p.impedance_ohm = z(f);
    points.push_back(p);
  }
  return points;
}

inline std::vector<double> log_frequencies(double start, double stop, int count) {
  std::vector<double> f;
  for (int i = 0; i < count; ++i) f.push_back(start * std::pow(stop / start, i / double(count - 1)));
  return f;
}

inline std::complex<double> capacitor(double c, double f) { return {0, -1 / (2 * std::numbers::pi * f * c)}; }

}  // namespace quelnor::analysis::test
