// Mid-point calibration: one gain factor and system phase at the sweep's middle frequency.
// Each routine reports its own success and failure in message boxes and returns normally.
#pragma once

#include "model/session.h"

namespace quelnor::measure {

void mid_point_gain_factor(model::Session& s);

}  // namespace quelnor::measure
