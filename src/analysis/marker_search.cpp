// Marker searches; one pass over the trace each.
#include "analysis/marker_search.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace quelnor::analysis {

std::vector<double> resonance_frequencies(const std::vector<SpectrumPoint>& points) {
  std::vector<double> found;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double x = points[i].impedance_ohm.imag();
    if (x == 0.0) {
      // A zero between two reactances of the same sign touches zero without crossing.
      found.push_back(points[i].frequency_hz);
      continue;
    }
    if (i + 1 == points.size()) break;
    const double x_next = points[i + 1].impedance_ohm.imag();
    if (x_next == 0.0 || (x < 0.0) == (x_next < 0.0)) continue;
    const double fa = points[i].frequency_hz;
    const double fb = points[i + 1].frequency_hz;
    const double t = x / (x - x_next);
    found.push_back(fa > 0.0 && fb > 0.0 ? fa * std::pow(fb / fa, t) : fa + t * (fb - fa));
  }
  return found;
}

std::optional<double> search_frequency(const std::vector<SpectrumPoint>& points, MarkerSearch search) {
  if (points.empty()) return std::nullopt;
  const auto pick = [&points](auto value, bool largest) {
    const auto less = [&value](const SpectrumPoint& a, const SpectrumPoint& b) { return value(a) < value(b); };
    const auto it = largest ? std::max_element(points.begin(), points.end(), less)
                            : std::min_element(points.begin(), points.end(), less);
    return it->frequency_hz;
  };
  const auto magnitude = [](const SpectrumPoint& p) { return std::abs(p.impedance_ohm); };
  const auto phase = [](const SpectrumPoint& p) { return std::arg(p.impedance_ohm); };
  switch (search) {
    case MarkerSearch::min_magnitude: return pick(magnitude, false);
    case MarkerSearch::max_magnitude: return pick(magnitude, true);
    case MarkerSearch::min_phase: return pick(phase, false);
    case MarkerSearch::max_phase: return pick(phase, true);
    case MarkerSearch::resonance: {
      const std::vector<double> found = resonance_frequencies(points);
      if (found.empty()) return std::nullopt;
      return found.front();
    }
  }
  return std::nullopt;
}

}  // namespace quelnor::analysis
