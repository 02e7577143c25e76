// The windowed program: Qt application, Qt seams, start-up with its Retry/Cancel box
// before any window, the main window, the help pages and, on the virtual board, its panel.
#pragma once

#include "app/application.h"

namespace quelnor::gui {

// Returns the program's exit code: 1 when the operator gave up at start-up.
int run_window(const app::ApplicationOptions& options, int argc, char** argv);

}  // namespace quelnor::gui
