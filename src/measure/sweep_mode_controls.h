// The controls a sweep keeps disabled while it runs: the calibration-mode options, which
// it reads at every point, and the settling-time multipliers.
#pragma once

#include "model/form1_controls.h"

namespace quelnor::measure {

// Enables or disables Option7, Option8 and Multiply_by_one/two/four together.
void enable_sweep_mode_controls(model::Form1Controls& form, bool enabled);

}  // namespace quelnor::measure
