// The event pump of a script run: counts the servicing points and runs, at each one, the
// commands a "pump N ..." line scheduled for it.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "util/event_pump.h"

namespace quelnor::app {

class ScriptPump final : public util::EventPump {
 public:
  using Action = std::function<void()>;

  // Runs the action at the n-th servicing from now (n >= 1).
  void schedule(std::int64_t n, Action action);
  // Runs at every servicing, after the actions due there.
  void set_after_servicing(Action step) { after_ = std::move(step); }
  void service_pending_input() override;

  std::int64_t servicings() const { return serviced_; }
  // Scheduled actions whose servicing point has not come (yet).
  std::size_t pending() const { return scheduled_.size(); }

 private:
  std::int64_t serviced_ = 0;
  std::vector<std::pair<std::int64_t, Action>> scheduled_;  // in the order scheduled
  Action after_;
};

}  // namespace quelnor::app
