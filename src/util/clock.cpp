// System and virtual clocks.
#include "util/clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace quelnor::util {

float SystemClock::seconds_since_midnight() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() %
      1000000;
  return static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec +
                            static_cast<double>(micros) / 1e6);
}

double SystemClock::monotonic_seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

float VirtualClock::seconds_since_midnight() {
  elapsed_s_ += read_step_s_;
  return static_cast<float>(std::fmod(start_of_day_s_ + elapsed_s_, 86400.0));
}

double VirtualClock::monotonic_seconds() {
  elapsed_s_ += read_step_s_;
  return elapsed_s_;
}

}  // namespace quelnor::util
