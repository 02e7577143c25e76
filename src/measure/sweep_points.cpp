// The chip's sweep, point by point.
#include "measure/sweep_points.h"

#include "converter/control_command.h"
#include "converter/register_map.h"
#include "converter/temperature.h"
#include "util/checked_math.h"

namespace quelnor::measure {
namespace {

std::int32_t sweep_complete(model::Session& s) {
  return s.transport.read_register(link::chip_bus_address, converter::reg::status) &
         converter::status_bit::sweep_complete;
}

}  // namespace

std::int16_t sweep_points(model::Session& s, const ProgrammedSweep& sweep, const PointStep& step) {
  using namespace converter;
  // One more point than increments; the bound also ends a sweep whose chip never reports
  // completion.
  std::int32_t remaining = util::checked_add_i32(sweep.increment_count, 1);
  double frequency_hz = sweep.start_hz;
  std::int16_t taken = 0;

  write_clock_source(s);
  write_control_command(s, reg::control_high, command::initialise);
  msDelay(s.clock, 2);
  write_control_command(s, reg::control_high, command::start_sweep);

  std::int32_t complete = sweep_complete(s);
  while (complete != status_bit::sweep_complete && remaining != 0) {
    step(frequency_hz, taken);
    remaining = util::checked_sub_i32(remaining, 1);
    frequency_hz = util::checked_add(frequency_hz, sweep.delta_hz);
    taken = util::checked_add_i16(taken, 1);
    complete = sweep_complete(s);
    // Sent after the last point too: the loop test follows it.
    write_control_command(s, reg::control_high, command::increment);
  }
  return taken;
}

}  // namespace quelnor::measure
