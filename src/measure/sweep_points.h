// The one point loop of the chip's sweep, shared by the sweeps and the multi-point
// calibration: start sequence, one step per point, sweep-complete handling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "measure/programmed_sweep.h"
#include "model/session.h"

namespace quelnor::measure {

// What a caller does at one point: the frequency the chip measures there (Hz) and the
// point's row, 0 first.
using PointStep = std::function<void(double frequency_hz, std::int16_t row)>;

// Writes the clock-source bit, sends initialise, waits 2 ms and sends start sweep; then,
// until the chip reports the sweep complete or increment_count + 1 points were taken, runs
// step for the point, reads the status and sends increment (after the last point too).
// Returns the number of points taken.
std::int16_t sweep_points(model::Session& s, const ProgrammedSweep& sweep, const PointStep& step);

}  // namespace quelnor::measure
