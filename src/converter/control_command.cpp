// Composition of the chip's control commands.
#include "converter/control_command.h"

#include "util/checked_math.h"

namespace quelnor::converter {

void write_control_command(model::Session& s, std::int32_t reg, std::int32_t command) {
  const std::int32_t sum = util::checked_add_i32(
      util::checked_add_i32(command, s.control_bits.pga_bits), s.control_bits.range_bits);
  s.transport.write_and_compare(reg, sum, "error:");
}

}  // namespace quelnor::converter
