// Impedance formulas of the five calibration circuits.
#include "measure/calibration_models.h"

#include <cmath>

#include "util/checked_math.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

using util::checked_add;
using util::checked_div;
using util::checked_mul;
using util::checked_sqrt;
using util::checked_sub;

[[noreturn]] void raise_unknown_circuit() {
  throw util::RunTimeError(util::ErrorKind::invalid_operation, "Unknown calibration circuit");
}

// -(arctan(ratio) * 180) / pi: the lagging phase of a capacitive circuit, degrees.
double lagging_degrees(double ratio) {
  return -checked_div(checked_mul(std::atan(ratio), 180.0), pi);
}

}  // namespace

double capacitor_reactance(double f_hz, double c1_f) {
  return checked_div(1.0, checked_mul(checked_mul(f_hz, two_pi), c1_f));
}

ParallelParts parallel_parts(double f_hz, double r1_ohm, double c1_f) {
  const double xc = capacitor_reactance(f_hz, c1_f);
  // (0 + j R1 Xc) / (R1 + j Xc), as a complex quotient over the denominator's norm. The
  // 0.0 * terms are the numerator's zero real part, kept so both lines read term by term as
  // (a c + b d, b c - a d) / (c^2 + d^2).
  const double numerator_im = checked_mul(r1_ohm, xc);
  const double norm = checked_add(checked_mul(r1_ohm, r1_ohm), checked_mul(xc, xc));
  ParallelParts parts;
  parts.re = checked_div(checked_add(0.0 * r1_ohm, checked_mul(numerator_im, xc)), norm);
  parts.im = checked_div(checked_sub(checked_mul(numerator_im, r1_ohm), 0.0 * xc), norm);
  return parts;
}

double calibration_impedance_magnitude(std::int32_t code, double f_hz, double r1_ohm, double c1_f,
                                       double r2_ohm) {
  switch (code) {
    case resistor_only:
      return r1_ohm;
    case capacitor_only:
      return capacitor_reactance(f_hz, c1_f);
    case series_rc: {
      const double xc = capacitor_reactance(f_hz, c1_f);
      return checked_sqrt(checked_add(checked_mul(r1_ohm, r1_ohm), checked_mul(xc, xc)));
    }
    case parallel_rc:
    case parallel_rc_plus_r2: {
      const ParallelParts p = parallel_parts(f_hz, r1_ohm, c1_f);
      const double parallel =
          checked_sqrt(checked_add(checked_mul(p.re, p.re), checked_mul(p.im, p.im)));
      // The complex circuit adds R2 to the parallel pair's magnitude, not to its real part.
      return code == parallel_rc ? parallel : checked_add(parallel, r2_ohm);
    }
    default:
      raise_unknown_circuit();
  }
}

double calibration_impedance_phase(std::int32_t code, double f_hz, double r1_ohm, double c1_f,
                                   double r2_ohm) {
  switch (code) {
    case resistor_only:
      return 0.0;
    case capacitor_only:
      return -90.0;
    case series_rc:
      return lagging_degrees(checked_div(capacitor_reactance(f_hz, c1_f), r1_ohm));
    case parallel_rc: {
      const ParallelParts p = parallel_parts(f_hz, r1_ohm, c1_f);
      return lagging_degrees(checked_div(p.im, p.re));
    }
    case parallel_rc_plus_r2: {
      const ParallelParts p = parallel_parts(f_hz, r1_ohm, c1_f);
      return lagging_degrees(checked_div(p.im, checked_add(p.re, r2_ohm)));
    }
    default:
      raise_unknown_circuit();
  }
}

}  // namespace quelnor::measure
