// Trace against reference.
#include "analysis/trace_difference.h"

#include <cmath>
#include <numbers>

#include "analysis/trace_interpolation.h"

namespace quelnor::analysis {

std::vector<DifferencePoint> trace_difference(const std::vector<SpectrumPoint>& data,
                                              const std::vector<SpectrumPoint>& reference) {
  std::vector<DifferencePoint> rows;
  rows.reserve(data.size());
  for (const SpectrumPoint& p : data) {
    const auto z_ref = interpolate_impedance(reference, p.frequency_hz);
    if (!z_ref) continue;
    DifferencePoint row;
    row.frequency_hz = p.frequency_hz;
    const double ref_magnitude = std::abs(*z_ref);
    row.magnitude_change_percent = 100.0 * (std::abs(p.impedance_ohm) - ref_magnitude) / ref_magnitude;
    double step = std::arg(p.impedance_ohm) - std::arg(*z_ref);
    if (step > std::numbers::pi) step -= 2.0 * std::numbers::pi;
    if (step < -std::numbers::pi) step += 2.0 * std::numbers::pi;
    row.phase_change_deg = step * 180.0 / std::numbers::pi;
    row.difference_ohm = p.impedance_ohm - *z_ref;
    row.ratio = p.impedance_ohm / *z_ref;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace quelnor::analysis
