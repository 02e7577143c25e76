// The single sweep.
// Each routine reports its own success and failure in message boxes and returns normally.
#pragma once

#include "model/session.h"

namespace quelnor::measure {

// One single sweep, completion box included.
void frequency_sweep(model::Session& s);

}  // namespace quelnor::measure
