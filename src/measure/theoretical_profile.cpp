// The theoretical calibration profile over the rows of the last sweep.
#include "measure/theoretical_profile.h"

#include "measure/calibration_circuit.h"
#include "measure/calibration_models.h"
#include "util/checked_math.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

using CircuitValue = double (*)(std::int32_t, double, double, double, double);

// One row per plotted sweep point: (frequency, value of the circuit at it). Rows beyond
// the points the last sweep measured would show frequencies it never visited.
model::PointArray profile(model::Session& s, CircuitValue value_at) {
  const std::int16_t rows = s.data.plot_point_count;
  if (rows <= 0) {
    throw util::RunTimeError(util::ErrorKind::out_of_bounds, "No sweep point to profile");
  }
  const std::int16_t last = util::to_i16(rows - 1);
  s.data.point_index = last;
  const std::int32_t code = s.calibration_circuit;
  const CalibrationComponents c = read_components(s, code, R2Reading::lenient);
  model::PointArray points(static_cast<std::size_t>(rows));
  for (std::int32_t i = 0; i <= last; ++i) {
    const double f_hz = s.data.sweep_table.frequency[util::checked_index(i, model::table_rows)];
    points[static_cast<std::size_t>(i)] = {f_hz, value_at(code, f_hz, c.r1_ohm, c.c1_f, c.r2_ohm)};
  }
  return points;
}

}  // namespace

void theoretical_magnitude_profile(model::Session& s) {
  s.Strip1.plot(1, profile(s, calibration_impedance_magnitude));
}

void theoretical_phase_profile(model::Session& s) {
  s.Strip2.plot(1, profile(s, calibration_impedance_phase));
  s.pump.service_pending_input();
}

}  // namespace quelnor::measure
