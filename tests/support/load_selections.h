// The main window's load selections on a bare session: gain x1, range 1, external clock,
// resistor-only calibration circuit, each with its handler's register writes.
#pragma once

#include "converter/operator_settings.h"
#include "measure/calibration_circuit.h"
#include "model/session.h"

namespace quelnor::test {

inline void make_load_selections(model::Session& s) {
  model::Form1Controls& f = s.form;
  f.select(f.Option1);
  converter::Option1_Click(s);
  f.select(f.Option3);
  converter::Option3_Click(s);
  f.select(f.ExternalClock);
  converter::ExternalClock_Click(s);
  f.select(f.Opt_resistor);
  measure::Opt_resistor_Click(s);
}

}  // namespace quelnor::test
