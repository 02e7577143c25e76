// The virtual board on a virtual clock, started with its firmware, seen by the engine: its
// register traffic traced line by line, its waits advancing the virtual clock.
#pragma once

#include <string>
#include <vector>

#include "instrument/board_access.h"
#include "link/register_transport.h"
#include "link/tracing_driver.h"
#include "link/usb_stuff.h"
#include "sim/virtual_board.h"
#include "support/bin_dir.h"
#include "support/scripted_dialogs.h"
#include "util/clock.h"

namespace quelnor::test {

// Relative noise as the classic window has it, plus the ADC's floor of 3 LSB per sample.
inline sim::VirtualBoardOptions noisy_board() {
  sim::VirtualBoardOptions options;
  options.adc_noise_lsb_rms = 3.0;
  return options;
}

struct EngineBoard {
  explicit EngineBoard(sim::VirtualBoardOptions options = noisy_board()) : board(clock, options) {
    ready = usb.start_up();
    trace.clear();
  }

  // Trace lines starting with prefix ("W 80", "R 8F").
  int count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& line : trace) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

  util::VirtualClock clock;
  sim::VirtualBoard board;
  std::vector<std::string> trace;
  link::TracingDriver tracer{board, [this](const std::string& line) { trace.push_back(line); }};
  ScriptedDialogs dialogs;
  link::USB_STUFF usb{tracer, dialogs, bin_dir()};
  link::RegisterTransport transport{usb, dialogs, "quelnor-eval"};
  instrument::BoardAccess access{transport, clock, [this](double s) { clock.advance(s); }};
  bool ready = false;
};

}  // namespace quelnor::test
