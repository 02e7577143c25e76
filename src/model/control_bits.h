// The gain and excitation-range bits of the chip's control register as last chosen by the
// operator: every control command carries them (see converter/control_command.h).
#pragma once

#include <cstdint>

namespace quelnor::model {

struct ControlBits {
  std::int32_t pga_bits = 0;    // bit 0 of control_high: 1 = gain x1, 0 = gain x5
  std::int32_t range_bits = 0;  // bits 2..1 of control_high: the excitation range
};

}  // namespace quelnor::model
