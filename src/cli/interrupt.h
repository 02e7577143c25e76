// Ctrl-C during a run: stops it between two points instead of killing the program, so the
// rows measured so far are written and the chip is left in standby.
#pragma once

#include <atomic>

namespace quelnor::cli {

// While one lives, SIGINT sets the flag (a second SIGINT ends the program as usual).
class InterruptWatch {
 public:
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;
  const std::atomic<bool>& flag() const;
};

}  // namespace quelnor::cli
