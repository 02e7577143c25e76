// The impedance of a trace at any frequency inside its span, interpolated between the two
// neighbouring points.
#pragma once

#include <complex>
#include <optional>
#include <vector>

#include "analysis/spectrum.h"

namespace quelnor::analysis {

// `points` sorted by rising frequency. Between neighbours the magnitude is interpolated
// geometrically and the phase linearly (the shorter way round), both against log
// frequency, so a capacitor's or an inductor's trace is reproduced exactly between points
// however far apart they are. Where a neighbour is zero or a frequency is not positive it
// falls back to a straight line in R and X against frequency. Empty outside the span.
std::optional<std::complex<double>> interpolate_impedance(const std::vector<SpectrumPoint>& points,
                                                          double frequency_hz);

// The same between two given points, `t` = 0 at a, 1 at b along log frequency.
std::complex<double> interpolate_between(const SpectrumPoint& a, const SpectrumPoint& b,
                                         double frequency_hz);

// The index of the first point at or above frequency_hz (points.size() when none): the
// binary search under every readout.
std::size_t first_point_at_or_above(const std::vector<SpectrumPoint>& points, double frequency_hz);

// The point nearest frequency_hz on a log axis; points must not be empty.
std::size_t nearest_point(const std::vector<SpectrumPoint>& points, double frequency_hz);

}  // namespace quelnor::analysis
