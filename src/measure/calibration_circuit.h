// The calibration circuit as the operator set it up: the circuit options' handlers, and the
// component values read from their boxes at the moment a calibration or a profile needs them.
#pragma once

#include <cstdint>

#include "model/session.h"

namespace quelnor::measure {

// Calibration-circuit option handlers: store the circuit code and enable the value boxes.
void Opt_resistor_Click(model::Session& s);
void Opt_capacitor_Click(model::Session& s);
void Optresistorandcapseries_Click(model::Session& s);
void Optresisandcapparallel_Click(model::Session& s);
void Complex_Click(model::Session& s);

struct CalibrationComponents {
  double r1_ohm = 0.0;  // Text10
  double c1_f = 0.0;    // Text11
  double r2_ohm = 0.0;  // Text6
};

// How R2 is read: the calibrations refuse a text that is not a number as a whole; the
// theoretical profile reads it like every other field.
enum class R2Reading { strict, lenient };

// Reads only the boxes circuit `code` uses (the others stay 0), so an unused box with an
// unreadable text cannot fail the caller. Raises RunTimeError for a refused text.
CalibrationComponents read_components(const model::Session& s, std::int32_t code,
                                      R2Reading r2_reading);

}  // namespace quelnor::measure
