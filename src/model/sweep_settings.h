// The sweep as last programmed into the chip: kept by the programming routines and read by
// the calibrations, the sweeps, the plots and the export.
#pragma once

#include <cstdint>

namespace quelnor::model {

struct SweepSettings {
  double start_frequency = 0.0;   // Hz, as read from its field before any correction
  double delta_frequency = 0.0;   // Hz, as read from its field before any correction
  std::int32_t increment_count = 0;  // 1..511 once programmed
};

}  // namespace quelnor::model
