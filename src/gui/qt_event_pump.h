// "Service pending operator input once" on Qt: bring the views up to date with the model,
// then process the pending events once.
#pragma once

#include <functional>

#include "util/event_pump.h"

namespace quelnor::gui {

class QtEventPump final : public util::EventPump {
 public:
  explicit QtEventPump(std::function<void()> render = {}) : render_(std::move(render)) {}
  void set_render(std::function<void()> render) { render_ = std::move(render); }

  void service_pending_input() override;

 private:
  std::function<void()> render_;
};

}  // namespace quelnor::gui
