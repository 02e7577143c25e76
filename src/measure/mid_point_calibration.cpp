// Mid-point calibration: one measurement of the calibration circuit at the middle of the
// programmed sweep gives one gain factor and the system phase for the whole sweep.
#include "measure/mid_point_calibration.h"

#include <limits>

#include "converter/control_command.h"
#include "converter/register_map.h"
#include "converter/sweep_programming.h"
#include "converter/temperature.h"
#include "measure/calibration_circuit.h"
#include "measure/calibration_gain_factor.h"
#include "measure/data_valid_wait.h"
#include "measure/point_arithmetic.h"
#include "measure/programmed_sweep.h"
#include "util/checked_math.h"
#include "util/numbers.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

constexpr const char* failure_text =
    "Error In-Valid Gain Factor:Check feedback resistor/calibration impedance "
    "connection.Ensure clock signal at MCLK";
constexpr const char* completion_text = "The mid-point gain factor has been calculated.";
// Beyond the settling time: the 1024-sample DFT window (about 1 ms at the usual clocks)
// and the requests around it.
constexpr double restart_margin_s = 0.005;

void calibrate_at_mid_point(model::Session& s) {
  using namespace converter;
  write_clock_source(s);
  const double mclk_hz = mclk(s);
  // The middle of the sweep the chip holds; half-hertz values are kept, nothing is
  // rounded before the frequency code.
  const ProgrammedSweep sweep = as_programmed(s.sweep);
  const double mid_point_frequency = util::checked_add(
      util::checked_div(
          util::checked_mul(static_cast<double>(sweep.increment_count), sweep.delta_hz), 2.0),
      sweep.start_hz);
  const std::int64_t code64 = frequency_code(mid_point_frequency, mclk_hz);
  if (code64 < std::numeric_limits<std::int32_t>::min() ||
      code64 > std::numeric_limits<std::int32_t>::max()) {
    throw util::RunTimeError(util::ErrorKind::overflow, "Frequency code does not fit 32 bits");
  }
  const auto code = static_cast<std::int32_t>(code64);
  // Start-frequency triple, low byte first; bits above 23 are not the chip's.
  s.transport.write_register_verified(reg::start_frequency_low, code & 0xFF);
  s.transport.write_register_verified(reg::start_frequency_mid, (code >> 8) & 0xFF);
  s.transport.write_register_verified(reg::start_frequency_high, (code >> 16) & 0xFF);
  converter::write_control_command(s, reg::control_high, command::initialise);
  // Two increments of code 33 (about 1 Hz at 16 MHz): only the first point is used.
  s.transport.write_register_verified(reg::increments_low, 2);
  s.transport.write_register_verified(reg::increments_high, 0);
  s.transport.write_register_verified(reg::increment_low, 0x21);
  s.transport.write_register_verified(reg::increment_mid, 0);
  s.transport.write_register_verified(reg::increment_high, 0);
  converter::write_control_command(s, reg::control_high, command::start_sweep);
  msDelay(s.clock, 1);

  // Initialise and start again when the data is not valid. A restart begins the
  // measurement anew, so after one the chip is given the longest measurement time at this
  // frequency before the next: restarting at every poll would never let a slow point (a
  // low frequency, many settling cycles) finish.
  DataValidDeadline deadline(s.clock, mid_point_frequency);
  const double restart_allowance_s = longest_settling_s(mid_point_frequency) + restart_margin_s;
  double next_restart_s = s.clock.monotonic_seconds();
  while (!data_valid(s)) {
    deadline.check();
    if (s.clock.monotonic_seconds() < next_restart_s) continue;
    converter::write_control_command(s, reg::control_high, command::initialise);
    converter::write_control_command(s, reg::control_high, command::start_sweep);
    msDelay(s.clock, 1);
    next_restart_s = s.clock.monotonic_seconds() + restart_allowance_s;
  }

  const RealImaginary point = read_real_imaginary(s);
  s.data.system_phase = phase_sweep(point.imaginary, point.real);
  const double magnitude = magnitude_of(point.real, point.imaginary);
  const CalibrationComponents components =
      read_components(s, s.calibration_circuit, R2Reading::strict);
  const double gain =
      calibration_gain_factor(s.calibration_circuit, mid_point_frequency, magnitude, components);
  s.data.gain_factor = gain;
  s.form.Text5.text = util::number_text(gain);
}

}  // namespace

void mid_point_gain_factor(model::Session& s) {
  try {
    calibrate_at_mid_point(s);
  } catch (const util::RunTimeError&) {
    s.message(failure_text);
    return;
  }
  s.message(completion_text);
}

}  // namespace quelnor::measure
