// The five circuit option handlers and the reading of the component boxes.
#include "measure/calibration_circuit.h"

#include "measure/calibration_models.h"
#include "util/numbers.h"

namespace quelnor::measure {
namespace {

// Stores the code, then enables the R1, R2 and C1 boxes in that order.
void choose_circuit(model::Session& s, CircuitCode code, bool r1, bool r2, bool c1) {
  s.calibration_circuit = code;
  s.form.Text10.enabled = r1;
  s.form.Text6.enabled = r2;
  s.form.Text11.enabled = c1;
}

}  // namespace

void Opt_resistor_Click(model::Session& s) {
  choose_circuit(s, resistor_only, true, false, false);
}
void Opt_capacitor_Click(model::Session& s) {
  choose_circuit(s, capacitor_only, false, false, true);
}
void Optresistorandcapseries_Click(model::Session& s) {
  choose_circuit(s, series_rc, true, false, true);
}
void Optresisandcapparallel_Click(model::Session& s) {
  choose_circuit(s, parallel_rc, true, false, true);
}
void Complex_Click(model::Session& s) {
  choose_circuit(s, parallel_rc_plus_r2, true, true, true);
}

CalibrationComponents read_components(const model::Session& s, std::int32_t code,
                                      R2Reading r2_reading) {
  CalibrationComponents c;
  const bool uses_r1 = code != capacitor_only;
  const bool uses_c1 = code != resistor_only;
  const bool uses_r2 = code == parallel_rc_plus_r2;
  if (uses_r1) c.r1_ohm = util::lenient_number(s.form.Text10.text);
  if (uses_c1) c.c1_f = util::lenient_number(s.form.Text11.text);
  if (uses_r2) {
    c.r2_ohm = r2_reading == R2Reading::strict ? util::strict_number(s.form.Text6.text)
                                               : util::lenient_number(s.form.Text6.text);
  }
  return c;
}

}  // namespace quelnor::measure
