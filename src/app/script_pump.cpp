// Servicing points of a script run.
#include "app/script_pump.h"

namespace quelnor::app {

void ScriptPump::schedule(std::int64_t n, Action action) {
  scheduled_.emplace_back(serviced_ + n, std::move(action));
}

void ScriptPump::service_pending_input() {
  const std::int64_t now = ++serviced_;
  // The due actions are taken out first: an action may service input itself (a sweep
  // started at a servicing point) or schedule more.
  std::vector<Action> due;
  for (auto it = scheduled_.begin(); it != scheduled_.end();) {
    if (it->first == now) {
      due.push_back(std::move(it->second));
      it = scheduled_.erase(it);
    } else {
      ++it;
    }
  }
  for (Action& action : due) action();
  if (after_) after_();
}

}  // namespace quelnor::app
