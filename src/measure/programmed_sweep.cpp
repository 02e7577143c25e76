// Reprogramming the chip's sweep before a calibration or a sweep.
#include "measure/programmed_sweep.h"

#include "converter/operator_settings.h"
#include "converter/register_map.h"
#include "converter/sweep_programming.h"

namespace quelnor::measure {

ProgrammedSweep program_sweep(model::Session& s) {
  converter::enter_standby_quiet(s);
  // Start, increments, delta, settling; every field is checked before the first write.
  converter::program_sweep_registers(s);
  ProgrammedSweep sweep;
  sweep.start_hz = s.sweep.start_frequency < 0.0 ? 0.0 : s.sweep.start_frequency;
  sweep.delta_hz = s.sweep.delta_frequency < 0.0 ? 0.0 : s.sweep.delta_frequency;
  sweep.increment_count = s.sweep.increment_count;
  return sweep;
}

void write_clock_source(model::Session& s) {
  s.transport.write_register_checked(
      converter::reg::control_low, s.form.ExternalClock.value ? converter::external_clock_bit : 0);
}

}  // namespace quelnor::measure
