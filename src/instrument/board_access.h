// What the engine needs of a board: its register transport, a clock, a way to wait, and
// what the operator states about it. The caller owns all of it; the engine keeps nothing.
#pragma once

#include <functional>
#include <string>

#include "link/register_transport.h"
#include "util/clock.h"

namespace quelnor::instrument {

struct BoardAccess {
  link::RegisterTransport& transport;
  util::Clock& clock;
  // Waits at least that many seconds of `clock` time (a virtual clock is advanced; a real
  // one is slept on). The engine waits for the chip's measurement instead of polling it.
  std::function<void(double seconds)> sleep;
  std::string identity = "virtual";        // "virtual" or the board's USB port path
  double feedback_resistance_ohm = 100e3;  // the resistor fitted on the board
};

}  // namespace quelnor::instrument
