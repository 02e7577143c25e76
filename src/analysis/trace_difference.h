// A trace compared with a reference trace, the reference interpolated at the trace's
// frequencies: % change of |Z|, change of phase, data - reference and data / reference.
#pragma once

#include <complex>
#include <vector>

#include "analysis/spectrum.h"

namespace quelnor::analysis {

struct DifferencePoint {
  double frequency_hz = 0.0;
  double magnitude_change_percent = 0.0;  // 100 (|Zd| - |Zr|) / |Zr|
  double phase_change_deg = 0.0;          // angle(Zd) - angle(Zr), wrapped to -180..180
  std::complex<double> difference_ohm;    // Zd - Zr
  std::complex<double> ratio;             // Zd / Zr
};

// One row per point of `data` inside the reference's span (no extrapolation); both sorted
// by rising frequency. A reference of zero gives an infinite or NaN percentage and ratio.
std::vector<DifferencePoint> trace_difference(const std::vector<SpectrumPoint>& data,
                                              const std::vector<SpectrumPoint>& reference);

}  // namespace quelnor::analysis
