// The control register's high byte: a command code with the excitation-range and PGA bits
// the measurement needs. The one place the engine composes it.
#pragma once

#include <cstdint>

namespace quelnor::instrument {

// range 1..4 (2, 1, 0.4, 0.2 V p-p), pga 1 or 5; command from converter::command.
std::int32_t control_byte(std::int32_t command, int range, int pga);

// Peak excitation of a range in volts (half its peak-to-peak amplitude).
double range_peak_v(int range);

}  // namespace quelnor::instrument
