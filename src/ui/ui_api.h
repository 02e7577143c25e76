// Toolkit-free interface logic the handlers and the sweeps call.
#pragma once

#include <string>

#include "model/session.h"

namespace quelnor::ui {

// Redraws both charts from the sweep table (with the theoretical overlay when Check1 is
// ticked), advancing the progress bar. Raises RunTimeError on failure.
void plot_sweep_results(model::Session& s, bool continuous_pass);

// "Download Impedance Data": save dialog starting in executable_dir, then one CSV block
// appended to the chosen file.
void Download_data_Click(model::Session& s, const std::string& executable_dir);

}  // namespace quelnor::ui
