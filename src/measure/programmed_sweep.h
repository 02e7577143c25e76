// Reprogramming the chip's sweep from the entry fields, as the calibrations and sweeps do
// before they start, and the sweep the chip then actually runs.
#pragma once

#include <cstdint>

#include "model/session.h"

namespace quelnor::measure {

struct ProgrammedSweep {
  double start_hz = 0.0;
  double delta_hz = 0.0;
  std::int32_t increment_count = 0;
};

// The sweep the chip holds after the last programming: a negative frequency entry is
// programmed as a zero code, so it counts as 0 Hz here although the setting keeps it.
ProgrammedSweep as_programmed(const model::SweepSettings& settings);

// Standby, then start frequency, increments, delta and settling cycles from their fields;
// returns the sweep as now programmed.
ProgrammedSweep program_sweep(model::Session& s);

// Clock-source bit of the low control register from the ExternalClock option.
void write_clock_source(model::Session& s);

}  // namespace quelnor::measure
