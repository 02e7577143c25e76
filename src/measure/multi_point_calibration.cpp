// Multi-point calibration: a full sweep over the calibration circuit records a gain factor
// and a system phase for every sweep point; the gain-factor box shows their average.
#include <exception>

#include "converter/register_map.h"
#include "converter/temperature.h"
#include "measure/calibration_circuit.h"
#include "measure/calibration_gain_factor.h"
#include "measure/data_valid_wait.h"
#include "measure/measurement_api.h"
#include "measure/point_arithmetic.h"
#include "measure/programmed_sweep.h"
#include "util/checked_math.h"
#include "util/numbers.h"

namespace quelnor::measure {
namespace {

constexpr const char* failure_text = "Error completing multipoint gainfactors";
constexpr const char* completion_text = " Multipoint gain factors complete ";

std::int32_t sweep_complete(model::Session& s) {
  return s.transport.read_register(link::chip_bus_address, converter::reg::status) &
         converter::status_bit::sweep_complete;
}

void calibrate_every_point(model::Session& s) {
  using namespace converter;
  // Start, count and frequency step come from the programming just done, so the table
  // entries belong to the frequencies the chip measures.
  const ProgrammedSweep sweep = program_sweep(s);
  double point_counter = 0.0;
  double gain_sum = 0.0;
  std::int32_t remaining = util::checked_add_i32(sweep.increment_count, 1);
  double frequency_hz = sweep.start_hz;

  write_clock_source(s);
  s.transport.write_control_command(reg::control_high, command::initialise);
  msDelay(s.clock, 2);
  s.transport.write_control_command(reg::control_high, command::start_sweep);

  std::int32_t complete = sweep_complete(s);
  model::MeasurementData& data = s.data;
  while (complete != status_bit::sweep_complete && remaining != 0) {
    wait_for_point_data(s, frequency_hz);
    const RealImaginary point = read_real_imaginary(s);
    const double magnitude = magnitude_of(point.real, point.imaginary);
    const double theta = phase_sweep(point.imaginary, point.real);
    // The boxes are read again for every point.
    const CalibrationComponents components =
        read_components(s, s.calibration_circuit, R2Reading::strict);
    const double gain =
        calibration_gain_factor(s.calibration_circuit, frequency_hz, magnitude, components);
    const std::size_t index =
        util::checked_index(util::round_to_i32(point_counter), model::table_rows);
    data.gain_factor_table[index] = gain;
    data.system_phase_table[index] = theta;

    remaining = util::checked_sub_i32(remaining, 1);
    data.sweep_table.frequency[index] = frequency_hz;
    frequency_hz = util::checked_add(frequency_hz, sweep.delta_hz);
    point_counter = util::checked_add(point_counter, 1.0);

    complete = sweep_complete(s);
    s.transport.write_control_command(reg::control_high, command::increment);
  }

  const std::int16_t last = util::round_to_i16(point_counter - 1.0);
  for (std::int32_t i = 0; i <= last; ++i) {
    gain_sum = util::checked_add(gain_sum,
                                 data.gain_factor_table[util::checked_index(i, model::table_rows)]);
  }
  // No point measured makes this 0 / 0, which ends the run with the failure box.
  s.form.Text5.text = util::number_text(util::checked_div(gain_sum, point_counter));
}

}  // namespace

void multi_point_gain_factors(model::Session& s) {
  try {
    calibrate_every_point(s);
  } catch (const std::exception&) {
    s.message(failure_text);
    return;
  }
  s.message(completion_text);
  s.pump.service_pending_input();
}

}  // namespace quelnor::measure
