// The measurement routines the main window's handlers call. Each reports its own success
// and failure in message boxes and returns normally.
#pragma once

#include "model/session.h"

namespace quelnor::measure {

// Calibration-circuit option handlers: store the circuit code and enable the value boxes.
void Opt_resistor_Click(model::Session& s);
void Opt_capacitor_Click(model::Session& s);
void Optresistorandcapseries_Click(model::Session& s);
void Optresisandcapparallel_Click(model::Session& s);
void Complex_Click(model::Session& s);

void mid_point_gain_factor(model::Session& s);
void multi_point_gain_factors(model::Session& s);

// One single sweep, completion box included.
void frequency_sweep(model::Session& s);
// The continuous loop: passes until Continuous_sweep_text is found unticked between passes.
void continuous_sweep(model::Session& s);
void continuous_sweep_pass(model::Session& s);

}  // namespace quelnor::measure
