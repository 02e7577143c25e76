// The event-pump seam: "service pending operator input once" from inside a running
// handler. Qt processes its pending events; scripts and tests run what they queued for
// that servicing point.
#pragma once

namespace quelnor::util {

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void service_pending_input() = 0;
};

}  // namespace quelnor::util
