// The theoretical calibration profile: the magnitude and phase the selected calibration
// circuit should give at the swept frequencies, drawn as trace 1 of the two charts.
#pragma once

#include "model/session.h"

namespace quelnor::measure {

// Plots |Z| of the circuit (ohms) at each plotted row's frequency into trace 1 of Strip1.
void theoretical_magnitude_profile(model::Session& s);
// Plots the circuit's phase (degrees) into trace 1 of Strip2, then services input once.
void theoretical_phase_profile(model::Session& s);

}  // namespace quelnor::measure
