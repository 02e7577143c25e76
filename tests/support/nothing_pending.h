// An event pump for tests with no operator: servicing pending input finds nothing to do.
#pragma once

#include "util/event_pump.h"

namespace quelnor::test {

class NothingPending final : public util::EventPump {
 public:
  void service_pending_input() override {}
};

}  // namespace quelnor::test
