// The sweep engine: program the chip, measure every point into the sweep table with the
// selected calibration, draw the charts and end as the variant asks.
#include "measure/sweep_engine.h"

#include <stdexcept>

#include "converter/temperature.h"
#include "measure/data_valid_wait.h"
#include "measure/point_arithmetic.h"
#include "measure/programmed_sweep.h"
#include "measure/sweep_points.h"
#include "util/checked_math.h"
#include "util/numbers.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

constexpr const char* completion_text = " sweep complete:   Press ok  ";

enum class CalibrationMode { mid_point, multi_point, none };

// Decided at every point from the two calibration options.
CalibrationMode calibration_mode(const model::Session& s) {
  const bool mid = s.form.Option7.value;
  const bool multi = s.form.Option8.value;
  if (mid && !multi) return CalibrationMode::mid_point;
  if (multi && !mid) return CalibrationMode::multi_point;
  return CalibrationMode::none;
}

void measure_point(model::Session& s, double frequency_hz, std::int16_t index) {
  model::MeasurementData& data = s.data;
  const std::size_t row = util::checked_index(index, model::table_rows);
  wait_for_point_data(s, frequency_hz);
  const RealImaginary point = read_real_imaginary(s);
  const double magnitude = magnitude_of(point.real, point.imaginary);
  double impedance_ohm = 0.0;
  double phase_deg = 0.0;
  switch (calibration_mode(s)) {
    case CalibrationMode::mid_point:
      phase_deg = corrected_phase(phase_sweep(point.imaginary, point.real), data.system_phase);
      data.gain_factor = util::lenient_number(s.form.Text5.text);
      impedance_ohm = impedance_of(data.gain_factor, magnitude);
      break;
    case CalibrationMode::multi_point:
      phase_deg =
          corrected_phase(phase_sweep(point.imaginary, point.real), data.system_phase_table[row]);
      data.gain_factor = data.gain_factor_table[row];
      impedance_ohm = impedance_of(data.gain_factor, magnitude);
      break;
    case CalibrationMode::none:
      break;
  }
  model::SweepTable& table = data.sweep_table;
  table.impedance[row] = impedance_ohm;
  table.phase[row] = phase_deg;
  table.imaginary_part[row] = point.imaginary;
  table.magnitude[row] = magnitude;
  table.real_part[row] = point.real;
  table.frequency[row] = frequency_hz;
}

void sweep(model::Session& s, const SweepVariant& variant, std::int16_t& measured_points) {
  model::MeasurementData& data = s.data;
  data.point_index = 0;
  // Start, count and progress maximum come from the programming just done, so every row
  // is labelled with the frequency the chip measured.
  const ProgrammedSweep programmed = program_sweep(s);
  s.form.PBar.min = 0;
  s.form.PBar.max = programmed.increment_count;

  sweep_points(s, programmed, [&](double frequency_hz, std::int16_t point) {
    measure_point(s, frequency_hz, point);
    data.point_index = util::checked_add_i16(point, 1);
    measured_points = data.point_index;
  });

  data.plot_point_count = data.point_index;
  if (data.plot_point_count == 0) {
    throw util::RunTimeError(util::ErrorKind::out_of_bounds, "No sweep point measured");
  }
  if (!s.plot_sweep_results) throw std::logic_error("No chart plotting installed");
  s.plot_sweep_results(variant.continuous_pass);
  s.form.PBar.value = 0;
  s.cues_changed();
  if (variant.continuous_pass) {
    converter::measure_temperature(s);
  } else {
    s.message(completion_text);
  }
  s.pump.service_pending_input();
}

}  // namespace

bool run_sweep(model::Session& s, const SweepVariant& variant) {
  std::int16_t measured_points = 0;
  try {
    sweep(s, variant, measured_points);
    return true;
  } catch (const util::RunTimeError&) {
    // The plots and the export show only what this sweep measured, never rows of an
    // earlier sweep as if they were new.
    s.data.plot_point_count = measured_points;
    s.message(variant.failure_text);
    return false;
  }
}

}  // namespace quelnor::measure
