// Everything one running program holds: the seams it talks through, the main window's
// controls, the programmed sweep, the measurement data and the calibration circuit. The
// routines of the converter, measurement and interface layers all act on one Session.
#pragma once

#include <cstdint>
#include <functional>

#include "link/register_transport.h"
#include "model/application_title.h"
#include "model/control_bits.h"
#include "model/form1_controls.h"
#include "model/measurement_data.h"
#include "model/strip_chart.h"
#include "model/sweep_settings.h"
#include "util/clock.h"
#include "util/event_pump.h"
#include "util/operator_dialogs.h"

namespace quelnor::model {

struct Session {
  Session(util::Clock& clock_, util::OperatorDialogs& dialogs_, util::EventPump& pump_,
          link::RegisterTransport& transport_, StripChart& strip1_, StripChart& strip2_)
      : clock(clock_),
        dialogs(dialogs_),
        pump(pump_),
        transport(transport_),
        Strip1(strip1_),
        Strip2(strip2_) {}

  util::Clock& clock;
  util::OperatorDialogs& dialogs;
  util::EventPump& pump;
  link::RegisterTransport& transport;
  StripChart& Strip1;  // impedance chart
  StripChart& Strip2;  // phase chart

  Form1Controls form;
  SweepSettings sweep;
  MeasurementData data;
  std::int16_t calibration_circuit = 0;  // 0..4, see the circuit option handlers
  ControlBits control_bits;

  // Draws both result charts after a sweep's measurement loop. The application installs
  // the interface layer's plot routine here, so the sweep engine needs no view of it.
  // The bool tells whether this is a continuous-sweep pass.
  std::function<void(bool continuous_pass)> plot_sweep_results;

  // The view's immediate repaint of the two progress cues (the progress bar and the
  // temperature heading), which change inside running handlers between servicing points.
  // Drawing two widgets takes in no operator input, so the single-thread rule holds.
  std::function<void()> repaint_cues;
  void cues_changed() {
    if (repaint_cues) repaint_cues();
  }

  // A message box with the application's title, one OK button and no icon.
  void message(const std::string& text) {
    dialogs.show_message({text, application_title, util::Buttons::ok, false});
  }
};

}  // namespace quelnor::model
