// Control commands to the chip: the command code with the gain and range bits in force,
// written to a control register and verified.
#pragma once

#include <cstdint>

#include "model/session.h"

namespace quelnor::converter {

// Writes command + pga_bits + range_bits (checked addition) to reg and compares the
// read-back; a mismatch shows "error:".
void write_control_command(model::Session& s, std::int32_t reg, std::int32_t command);

}  // namespace quelnor::converter
