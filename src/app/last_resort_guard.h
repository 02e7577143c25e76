// The last-resort guard around every event handler: whatever escapes a handler is shown
// in a box with the application's title, and the window stays usable.
#pragma once

#include <functional>

#include "util/operator_dialogs.h"

namespace quelnor::app {

// Runs the handler; an escaping exception shows "Unexpected error: <what>" with one OK
// button. Returns false when it did.
bool run_guarded(util::OperatorDialogs& dialogs, const std::function<void()>& handler);

}  // namespace quelnor::app
