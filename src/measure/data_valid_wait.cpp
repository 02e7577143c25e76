// Bounded polling for the chip's data-valid status bit.
#include "measure/data_valid_wait.h"

#include "converter/register_map.h"
#include "util/run_time_error.h"

namespace quelnor::measure {

bool data_valid(model::Session& s) {
  const std::int32_t status =
      s.transport.read_register(link::chip_bus_address, converter::reg::status);
  return (status & converter::status_bit::data_valid) != 0;
}

DataValidDeadline::DataValidDeadline(util::Clock& clock)
    : clock_(clock), start_s_(clock.monotonic_seconds()) {}

void DataValidDeadline::check() {
  if (clock_.monotonic_seconds() - start_s_ > data_valid_timeout_s) {
    throw util::RunTimeError(util::ErrorKind::board_not_answering,
                             "The converter reported no valid data within one second");
  }
}

void wait_for_point_data(model::Session& s) {
  DataValidDeadline deadline(s.clock);
  if (data_valid(s)) return;
  s.transport.write_control_command(converter::reg::control_high, converter::command::repeat);
  while (!data_valid(s)) deadline.check();
}

}  // namespace quelnor::measure
