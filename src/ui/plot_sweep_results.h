// Drawing a sweep's results into the two charts.
#pragma once

#include "model/session.h"

namespace quelnor::ui {

// Redraws both charts from the sweep table (with the theoretical overlay when Check1 is
// ticked), advancing the progress bar. Raises RunTimeError on failure.
void plot_sweep_results(model::Session& s, bool continuous_pass);

}  // namespace quelnor::ui
