// Bounded polling for the chip's data-valid status bit.
#include "measure/data_valid_wait.h"

#include <cmath>

#include "converter/control_command.h"
#include "converter/register_map.h"
#include "util/run_time_error.h"

namespace quelnor::measure {

double longest_settling_s(double frequency_hz) {
  constexpr double most_settling_cycles = 511.0 * 4.0;
  if (!(frequency_hz > 0.0)) return 0.0;  // no settling time to wait for at 0 Hz
  const double settling_s = most_settling_cycles / frequency_hz;
  return std::isfinite(settling_s) ? settling_s : 0.0;
}

bool data_valid(model::Session& s) {
  const std::int32_t status =
      s.transport.read_register(link::chip_bus_address, converter::reg::status);
  return (status & converter::status_bit::data_valid) != 0;
}

DataValidDeadline::DataValidDeadline(util::Clock& clock, double frequency_hz)
    : clock_(clock),
      start_s_(clock.monotonic_seconds()),
      allowed_s_(longest_settling_s(frequency_hz) + data_valid_timeout_s) {}

void DataValidDeadline::check() {
  if (clock_.monotonic_seconds() - start_s_ > allowed_s_) {
    throw util::RunTimeError(util::ErrorKind::board_not_answering,
                             "The converter reported no valid data in time");
  }
}

void wait_for_point_data(model::Session& s, double frequency_hz) {
  DataValidDeadline deadline(s.clock, frequency_hz);
  if (data_valid(s)) return;
  converter::write_control_command(s, converter::reg::control_high, converter::command::repeat);
  while (!data_valid(s)) deadline.check();
}

}  // namespace quelnor::measure
