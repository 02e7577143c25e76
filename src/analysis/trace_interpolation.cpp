// Log-frequency interpolation of a trace.
#include "analysis/trace_interpolation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelnor::analysis {

std::complex<double> interpolate_between(const SpectrumPoint& a, const SpectrumPoint& b,
                                         double frequency_hz) {
  const double fa = a.frequency_hz;
  const double fb = b.frequency_hz;
  if (fa == fb) return a.impedance_ohm;
  const std::complex<double> za = a.impedance_ohm;
  const std::complex<double> zb = b.impedance_ohm;
  if (fa <= 0.0 || fb <= 0.0 || frequency_hz <= 0.0 || za == 0.0 || zb == 0.0) {
    const double t = (frequency_hz - fa) / (fb - fa);
    return za + t * (zb - za);
  }
  const double t = std::log(frequency_hz / fa) / std::log(fb / fa);
  const double log_magnitude = std::log(std::abs(za)) + t * (std::log(std::abs(zb)) - std::log(std::abs(za)));
  double step = std::arg(zb) - std::arg(za);
  if (step > std::numbers::pi) step -= 2.0 * std::numbers::pi;
  if (step < -std::numbers::pi) step += 2.0 * std::numbers::pi;
  return std::polar(std::exp(log_magnitude), std::arg(za) + t * step);
}

std::size_t first_point_at_or_above(const std::vector<SpectrumPoint>& points, double frequency_hz) {
  const auto it = std::lower_bound(points.begin(), points.end(), frequency_hz,
                                   [](const SpectrumPoint& p, double f) { return p.frequency_hz < f; });
  return static_cast<std::size_t>(it - points.begin());
}

std::optional<std::complex<double>> interpolate_impedance(const std::vector<SpectrumPoint>& points,
                                                          double frequency_hz) {
  if (points.empty() || !(frequency_hz >= points.front().frequency_hz) ||
      !(frequency_hz <= points.back().frequency_hz)) {
    return std::nullopt;
  }
  const std::size_t above = first_point_at_or_above(points, frequency_hz);
  if (points[above].frequency_hz == frequency_hz || above == 0) return points[above].impedance_ohm;
  return interpolate_between(points[above - 1], points[above], frequency_hz);
}

std::size_t nearest_point(const std::vector<SpectrumPoint>& points, double frequency_hz) {
  const std::size_t above = first_point_at_or_above(points, frequency_hz);
  if (above == 0) return 0;
  if (above == points.size()) return points.size() - 1;
  const auto distance = [frequency_hz](double f) {
    return f > 0.0 && frequency_hz > 0.0 ? std::abs(std::log(f / frequency_hz)) : std::abs(f - frequency_hz);
  };
  return distance(points[above - 1].frequency_hz) <= distance(points[above].frequency_hz) ? above - 1 : above;
}

}  // namespace quelnor::analysis
