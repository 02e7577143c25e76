// Marker searches over a trace: extremes of |Z| and of phase, and resonances where the
// reactance crosses zero.
#pragma once

#include <optional>
#include <vector>

#include "analysis/spectrum.h"

namespace quelnor::analysis {

enum class MarkerSearch { min_magnitude, max_magnitude, min_phase, max_phase, resonance };

// The frequency the search finds on `points` (sorted by rising frequency), empty when the
// trace is empty or has no resonance. Extremes are measured points; a resonance is
// interpolated (see resonance_frequencies).
std::optional<double> search_frequency(const std::vector<SpectrumPoint>& points, MarkerSearch search);

// Every frequency where X changes sign between neighbours (or is exactly zero at a point),
// interpolating X linearly against log frequency, in rising order.
std::vector<double> resonance_frequencies(const std::vector<SpectrumPoint>& points);

}  // namespace quelnor::analysis
