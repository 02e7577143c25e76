// The operator-script runner: start-up and the load steps headless, then one script line
// after another, with every message box, save dialog and "show" printed as one line.
#pragma once

#include <istream>
#include <ostream>

#include "app/application.h"

namespace quelnor::app {

// Exit codes of a script run.
constexpr int script_ran_to_end = 0;
constexpr int script_start_up_cancelled = 1;
constexpr int script_error = 2;

// Runs the script on the board the options name: the virtual board on a virtual clock (as
// fast as the model computes), the real board on the system clock. Events go to out,
// script errors (naming the line) to err.
int run_script(std::istream& script, const ApplicationOptions& options, std::ostream& out,
               std::ostream& err);

}  // namespace quelnor::app
