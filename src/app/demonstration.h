// The demonstration run used when there is no display: program, calibrate on a 200 kOhm
// resistor, sweep and export on the virtual board, headless, printing what it did.
#pragma once

#include <ostream>
#include <string>

#include "app/application.h"

namespace quelnor::app {

// The demonstration's operator script, exporting to csv_path.
std::string demonstration_script(const std::string& csv_path);

// Runs it with the CSV in a fresh folder under the system's temporary folder. Returns the
// script run's exit code.
int run_demonstration(const ApplicationOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quelnor::app
