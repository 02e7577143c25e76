// The gain factor that turns a measured raw magnitude into the known impedance of the
// calibration circuit.
#pragma once

#include <cstdint>

#include "measure/calibration_circuit.h"

namespace quelnor::measure {

// For circuit `code` at f_hz with measured magnitude M (raw count):
//   resistor only 1 / (R1 M); capacitor only f 2pi C1 / M; otherwise (1 / |Z|) / M.
// Checked arithmetic: M = 0, R1 = 0 or C1 = 0 where used raise RunTimeError.
double calibration_gain_factor(std::int32_t code, double f_hz, double magnitude,
                               const CalibrationComponents& c);

}  // namespace quelnor::measure
