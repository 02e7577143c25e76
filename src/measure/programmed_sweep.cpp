// Reprogramming the chip's sweep before a calibration or a sweep.
#include "measure/programmed_sweep.h"

#include "converter/operator_settings.h"
#include "converter/register_map.h"
#include "converter/sweep_programming.h"

namespace quelnor::measure {

ProgrammedSweep as_programmed(const model::SweepSettings& settings) {
  ProgrammedSweep sweep;
  sweep.start_hz = settings.start_frequency < 0.0 ? 0.0 : settings.start_frequency;
  sweep.delta_hz = settings.delta_frequency < 0.0 ? 0.0 : settings.delta_frequency;
  sweep.increment_count = settings.increment_count;
  return sweep;
}

ProgrammedSweep program_sweep(model::Session& s) {
  converter::enter_standby_quiet(s);
  // Start, increments, delta, settling; every field is checked before the first write.
  converter::program_sweep_registers(s);
  return as_programmed(s.sweep);
}

void write_clock_source(model::Session& s) {
  s.transport.write_register_checked(
      converter::reg::control_low, s.form.ExternalClock.value ? converter::external_clock_bit : 0);
}

}  // namespace quelnor::measure
