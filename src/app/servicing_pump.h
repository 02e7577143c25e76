// The event pump the session uses: runs the application's own step at every servicing
// point (keeping a run's greyed controls greyed) before the view's or script's pump.
#pragma once

#include <functional>
#include <utility>

#include "util/event_pump.h"

namespace quelnor::app {

class ServicingPump final : public util::EventPump {
 public:
  explicit ServicingPump(util::EventPump& inner) : inner_(inner) {}
  void set_before_servicing(std::function<void()> step) { before_ = std::move(step); }
  void service_pending_input() override {
    if (before_) before_();
    inner_.service_pending_input();
  }

 private:
  util::EventPump& inner_;
  std::function<void()> before_;
};

}  // namespace quelnor::app
