// Continuous sweeping.
// Each routine reports its own success and failure in message boxes and returns normally.
#pragma once

#include "model/session.h"

namespace quelnor::measure {

// The continuous loop: passes until Continuous_sweep_text is found unticked between passes.
void continuous_sweep(model::Session& s);

}  // namespace quelnor::measure
