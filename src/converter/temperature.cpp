// The die-temperature measurement and the millisecond busy wait.
#include "converter/temperature.h"

#include "converter/register_map.h"
#include "util/numbers.h"

namespace quelnor::converter {

namespace {

constexpr double seconds_per_day = 86400.0;
// How long a late temperature result is waited for; the chip needs well under a
// millisecond, so a second means the result is not coming.
constexpr double result_wait_limit_s = 1.0;
// Extra time on the monotonic clock after which msDelay ends even if the time of day never
// reaches its target (clock set back, a stalled time source). It is above two of the
// coarsest steps of a single-precision time of day (7.8 ms near midnight), so the time of
// day normally ends the wait first.
constexpr double delay_safety_margin_s = 0.02;

constexpr const char* heading_caption = "Current Device Temperature";

bool temperature_ready(model::Session& s) {
  return (s.transport.read_register(link::chip_bus_address, reg::status) &
          status_bit::temperature_valid) != 0;
}

// Polls until the result is valid or the limit passes; true when it arrived.
bool wait_for_temperature(model::Session& s) {
  const double deadline_s = s.clock.monotonic_seconds() + result_wait_limit_s;
  while (!temperature_ready(s)) {
    if (s.clock.monotonic_seconds() >= deadline_s) return false;
  }
  return true;
}

}  // namespace

void measure_temperature(model::Session& s) {
  // The temperature command carries no range or gain bits.
  s.transport.write_register_verified(reg::control_high, command::measure_temperature);
  msDelay(s.clock, 5);
  if (!temperature_ready(s)) {
    s.form.Label10.caption = "Measurement In progress";
    s.cues_changed();
    bool arrived = false;
    try {
      arrived = wait_for_temperature(s);
    } catch (...) {
      // A board that stops answering ends the measurement here; the heading must not go on
      // saying that one is in progress.
      s.form.Label10.caption = heading_caption;
      throw;
    }
    s.form.Label10.caption = heading_caption;
    s.cues_changed();
    if (!arrived) {
      s.message("The temperature result did not arrive from the board.");
      return;
    }
    s.message("Device Temperature Measurement Complete");
  }
  const std::int32_t high =
      s.transport.read_register(link::chip_bus_address, reg::temperature_high);
  const std::int32_t low = s.transport.read_register(link::chip_bus_address, reg::temperature_low);
  s.form.Label8.caption = util::number_text(temperature_of_word(high * 256 + low));
}

// 14-bit two's complement in 1/32 degree; bits 15..14 are deliberately not masked, so
// 0x4000 reads as 0.
double temperature_of_word(std::int32_t word) {
  return word > 8191 ? (word - 16384) / 32.0 : word / 32.0;
}

void msDelay(util::Clock& clock, std::int32_t n) {
  const double start_s = clock.seconds_since_midnight();
  if (n <= 0) return;
  const double wait_s = n / 1000.0;
  const double target_s = start_s + wait_s;
  const double monotonic_start_s = clock.monotonic_seconds();
  for (;;) {
    double now_s = clock.seconds_since_midnight();
    // The time of day falls back to 0 at midnight; a reading below the start is the next day.
    if (now_s < start_s) now_s += seconds_per_day;
    // A single-precision time of day is rounded to steps of up to 7.8 ms, so it can reach
    // the target up to one step early; the monotonic clock makes the wait at least n ms.
    const double waited_s = clock.monotonic_seconds() - monotonic_start_s;
    if (now_s >= target_s && waited_s >= wait_s) return;
    if (waited_s >= wait_s + delay_safety_margin_s) return;
  }
}

}  // namespace quelnor::converter
