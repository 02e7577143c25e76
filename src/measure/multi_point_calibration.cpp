// Multi-point calibration: a full sweep over the calibration circuit records a gain factor
// and a system phase for every sweep point; the gain-factor box shows their average.

#include "measure/multi_point_calibration.h"

#include "measure/calibration_circuit.h"
#include "measure/calibration_gain_factor.h"
#include "measure/data_valid_wait.h"
#include "measure/point_arithmetic.h"
#include "measure/programmed_sweep.h"
#include "measure/sweep_points.h"
#include "util/checked_math.h"
#include "util/numbers.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

constexpr const char* failure_text = "Error completing multipoint gainfactors";
constexpr const char* completion_text = " Multipoint gain factors complete ";

void calibrate_every_point(model::Session& s) {
  // Start, count and frequency step come from the programming just done, so the table
  // entries belong to the frequencies the chip measures.
  const ProgrammedSweep sweep = program_sweep(s);
  model::MeasurementData& data = s.data;
  const std::int16_t points = sweep_points(s, sweep, [&](double frequency_hz, std::int16_t point) {
    wait_for_point_data(s, frequency_hz);
    const RealImaginary reading = read_real_imaginary(s);
    const double magnitude = magnitude_of(reading.real, reading.imaginary);
    const double theta = phase_sweep(reading.imaginary, reading.real);
    // The boxes are read again for every point.
    const CalibrationComponents components =
        read_components(s, s.calibration_circuit, R2Reading::strict);
    const double gain =
        calibration_gain_factor(s.calibration_circuit, frequency_hz, magnitude, components);
    const std::size_t row = util::checked_index(point, model::table_rows);
    data.gain_factor_table[row] = gain;
    data.system_phase_table[row] = theta;
    data.sweep_table.frequency[row] = frequency_hz;
  });

  double gain_sum = 0.0;
  for (std::int16_t i = 0; i < points; ++i) {
    gain_sum = util::checked_add(gain_sum,
                                 data.gain_factor_table[util::checked_index(i, model::table_rows)]);
  }
  // No point measured makes this 0 / 0, which ends the run with the failure box.
  s.form.Text5.text = util::number_text(util::checked_div(gain_sum, static_cast<double>(points)));
}

}  // namespace

void multi_point_gain_factors(model::Session& s) {
  try {
    calibrate_every_point(s);
  } catch (const util::RunTimeError&) {
    s.message(failure_text);
    return;
  }
  s.message(completion_text);
  s.pump.service_pending_input();
}

}  // namespace quelnor::measure
