// The gain factor of one calibration measurement.
#include "measure/calibration_gain_factor.h"

#include "measure/calibration_models.h"
#include "util/checked_math.h"

namespace quelnor::measure {

using util::checked_div;
using util::checked_mul;

double calibration_gain_factor(std::int32_t code, double f_hz, double magnitude,
                               const CalibrationComponents& c) {
  switch (code) {
    case resistor_only:
      return checked_div(1.0, checked_mul(c.r1_ohm, magnitude));
    case capacitor_only:
      return checked_div(checked_mul(checked_mul(f_hz, two_pi), c.c1_f), magnitude);
    default: {
      const double z_ohm = calibration_impedance_magnitude(code, f_hz, c.r1_ohm, c.c1_f, c.r2_ohm);
      return checked_div(checked_div(1.0, z_ohm), magnitude);
    }
  }
}

}  // namespace quelnor::measure
