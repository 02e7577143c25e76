// Control-byte composition from the register map's range and gain bits.
#include "instrument/control_byte.h"

#include "converter/register_map.h"

namespace quelnor::instrument {

std::int32_t control_byte(std::int32_t command, int range, int pga) {
  using namespace converter;
  std::int32_t range_bits = range_2v;
  if (range == 2) range_bits = range_1v;
  if (range == 3) range_bits = range_0v4;
  if (range == 4) range_bits = range_0v2;
  return command | range_bits | (pga == 5 ? pga_gain_x5 : pga_gain_x1);
}

double range_peak_v(int range) {
  switch (range) {
    case 1:
      return 1.0;
    case 2:
      return 0.5;
    case 3:
      return 0.2;
    default:
      return 0.1;
  }
}

}  // namespace quelnor::instrument
