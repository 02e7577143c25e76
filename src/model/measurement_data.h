// The shared results of calibrations and sweeps: the sweep result table, the point
// counters, the gain factor and system phase, and the multi-point calibration tables.
// Fixed sizes: nothing is allocated while a sweep measures.
#pragma once

#include <array>
#include <cstdint>

namespace quelnor::model {

constexpr std::size_t table_rows = 513;  // rows 0..512
using Column = std::array<double, table_rows>;

struct SweepTable {
  Column frequency{};       // Hz, nominal (start plus i increments by repeated addition)
  Column real_part{};       // raw count
  Column imaginary_part{};  // raw count
  Column magnitude{};       // raw count
  Column impedance{};       // ohms
  Column phase{};           // degrees
};

struct MeasurementData {
  SweepTable sweep_table;
  std::int16_t point_index = 0;
  std::int16_t plot_point_count = 0;
  double gain_factor = 0.0;
  double system_phase = 0.0;  // degrees
  Column gain_factor_table{};
  Column system_phase_table{};  // degrees
};

}  // namespace quelnor::model
