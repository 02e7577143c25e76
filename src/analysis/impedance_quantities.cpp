// Derived impedance quantities; see the header for the sign conventions.
#include "analysis/impedance_quantities.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "analysis/engineering_format.h"

namespace quelnor::analysis {

ImpedanceQuantities impedance_quantities(double frequency_hz, std::complex<double> z) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  ImpedanceQuantities q;
  q.frequency_hz = frequency_hz;
  q.impedance_ohm = z;
  q.resistance_ohm = z.real();
  q.reactance_ohm = z.imag();
  q.magnitude_ohm = std::abs(z);
  q.phase_deg = std::arg(z) * 180.0 / std::numbers::pi;
  const double norm = std::norm(z);  // |Z|^2
  // Y = 1/Z = conj(Z) / |Z|^2; a short circuit has no finite admittance.
  q.conductance_s = norm > 0.0 ? z.real() / norm : nan;
  q.susceptance_s = norm > 0.0 ? -z.imag() / norm : nan;
  const double w = 2.0 * std::numbers::pi * frequency_hz;
  const double x = z.imag();
  const double b = q.susceptance_s;
  const bool capacitive = x < 0.0 && w > 0.0;
  const bool inductive = x > 0.0 && w > 0.0;
  q.series_capacitance_f = capacitive ? -1.0 / (w * x) : nan;
  q.parallel_capacitance_f = capacitive ? b / w : nan;
  q.series_inductance_h = inductive ? x / w : nan;
  q.parallel_inductance_h = inductive ? -1.0 / (w * b) : nan;
  const double r = z.real();
  q.quality_factor = r != 0.0 ? std::abs(x) / std::abs(r) : std::numeric_limits<double>::infinity();
  q.dissipation_factor = x != 0.0 ? std::abs(r) / std::abs(x) : std::numeric_limits<double>::infinity();
  return q;
}

std::string reactive_element_text(const ImpedanceQuantities& q, bool parallel) {
  if (q.reactance_ohm < 0.0) {
    return "C " + engineering_text(parallel ? q.parallel_capacitance_f : q.series_capacitance_f, "F");
  }
  if (q.reactance_ohm > 0.0) {
    return "L " + engineering_text(parallel ? q.parallel_inductance_h : q.series_inductance_h, "H");
  }
  return "resistive";
}

}  // namespace quelnor::analysis
