// Quantities derived from one complex impedance at one frequency: the readouts of a
// marker and the curves of the views (R, X, |Z|, phase, G, B, Cs, Cp, Ls, Lp, Q, D).
#pragma once

#include <complex>
#include <string>

namespace quelnor::analysis {

struct ImpedanceQuantities {
  double frequency_hz = 0.0;
  std::complex<double> impedance_ohm;
  double resistance_ohm = 0.0;   // R = Re Z
  double reactance_ohm = 0.0;    // X = Im Z
  double magnitude_ohm = 0.0;    // |Z|
  double phase_deg = 0.0;        // angle of Z, -180..180
  double conductance_s = 0.0;    // G = Re 1/Z
  double susceptance_s = 0.0;    // B = Im 1/Z
  // Equivalent elements. A capacitance is only given where the reactance is capacitive
  // (X < 0, B > 0) and an inductance only where it is inductive; elsewhere NaN, so a
  // readout never shows a negative capacitance.
  double series_capacitance_f = 0.0;    // Cs = -1 / (w X)
  double parallel_capacitance_f = 0.0;  // Cp = B / w
  double series_inductance_h = 0.0;     // Ls = X / w
  double parallel_inductance_h = 0.0;   // Lp = -1 / (w B)
  double quality_factor = 0.0;          // Q = |X| / R (infinite for a pure reactance)
  double dissipation_factor = 0.0;      // D = R / |X| = 1 / Q
};

ImpedanceQuantities impedance_quantities(double frequency_hz, std::complex<double> impedance_ohm);

// The reactance named as the element its sign says, in engineering units:
// "C 4.7 nF" for X < 0, "L 1 mH" for X > 0, "resistive" for X = 0. `parallel` gives the
// parallel equivalent (Cp or Lp) instead of the series one.
std::string reactive_element_text(const ImpedanceQuantities& q, bool parallel);

}  // namespace quelnor::analysis
