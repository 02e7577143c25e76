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

// Standby, then start frequency, increments, delta and settling cycles from their fields.
// Returns the sweep as written to the chip: a negative frequency entry is programmed as a
// zero code, so it counts as 0 Hz here although the stored setting keeps the entry.
ProgrammedSweep program_sweep(model::Session& s);

// Clock-source bit of the low control register from the ExternalClock option.
void write_clock_source(model::Session& s);

}  // namespace quelnor::measure
