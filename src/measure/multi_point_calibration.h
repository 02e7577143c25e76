// Multi-point calibration: a gain factor and a system phase for every sweep point.
// Each routine reports its own success and failure in message boxes and returns normally.
#pragma once

#include "model/session.h"

namespace quelnor::measure {

void multi_point_gain_factors(model::Session& s);

}  // namespace quelnor::measure
