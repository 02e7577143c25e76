// Impedance formulas of the five calibration circuits, in ohms and degrees. Pure functions
// with checked arithmetic: a zero capacitance or frequency raises RunTimeError.
#pragma once

#include <cstdint>

namespace quelnor::measure {

// The two-pi and pi of the operator-facing formulas: ten significant digits, not full
// double precision, so computed values match the instrument's published figures.
constexpr double two_pi = 6.283185308;
constexpr double pi = 3.141592654;

// Codes of calibration_circuit, in the order of their option buttons.
enum CircuitCode : std::int16_t {
  resistor_only = 0,
  capacitor_only = 1,
  series_rc = 2,
  parallel_rc = 3,
  parallel_rc_plus_r2 = 4,
};

// Real part and size of the (negative) imaginary part of R1 in parallel with C1, ohms.
struct ParallelParts {
  double re = 0.0;
  double im = 0.0;
};

// Xc = 1 / (f * 2pi * C1); f in Hz, C1 in farads.
double capacitor_reactance(double f_hz, double c1_f);
ParallelParts parallel_parts(double f_hz, double r1_ohm, double c1_f);
// |Z| of circuit `code`; an unknown code raises RunTimeError(invalid_operation).
double calibration_impedance_magnitude(std::int32_t code, double f_hz, double r1_ohm, double c1_f,
                                       double r2_ohm);
// Phase of circuit `code` in degrees, negative for a capacitive circuit.
double calibration_impedance_phase(std::int32_t code, double f_hz, double r1_ohm, double c1_f,
                                   double r2_ohm);

}  // namespace quelnor::measure
