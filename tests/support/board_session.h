// A whole session over the virtual board on a virtual clock: the board started up with its
// firmware image, the main window's load selections made (gain x1, range 1, external
// clock, resistor-only circuit), and the result plots drawn into recording charts.
#pragma once

#include "converter/operator_settings.h"
#include "link/register_transport.h"
#include "link/usb_stuff.h"
#include "measure/calibration_circuit.h"
#include "model/session.h"
#include "model/strip_chart.h"
#include "sim/virtual_board.h"
#include "support/bin_dir.h"
#include "support/load_selections.h"
#include "support/nothing_pending.h"
#include "support/scripted_dialogs.h"
#include "util/clock.h"

namespace quelnor::test {

// Members in construction order; `s` is the session, `ready` tells whether start-up found
// the board and loaded its firmware.
struct BoardSession {
  explicit BoardSession(sim::VirtualBoardOptions options = {}) : board(clock, options) {
    ready = usb.start_up();
    make_load_selections(s);
  }

  util::VirtualClock clock;
  sim::VirtualBoard board;
  ScriptedDialogs dialogs;
  NothingPending pump;
  link::USB_STUFF usb{board, dialogs, bin_dir()};
  link::RegisterTransport transport{usb, dialogs, model::application_title};
  model::RecordingStripChart strip1, strip2;
  model::Session s{clock, dialogs, pump, transport, strip1, strip2};
  bool ready = false;
};

}  // namespace quelnor::test
