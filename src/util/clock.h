// The clock seam: the time of day that the millisecond wait reads, and a monotonic clock
// for bounding waits. The virtual clock lets the virtual board and the tests share time
// without anyone sleeping.
#pragma once

namespace quelnor::util {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since midnight, single precision, wrapping to 0 at 86400.
  virtual float seconds_since_midnight() = 0;
  // Seconds since an arbitrary origin; never goes back.
  virtual double monotonic_seconds() = 0;
  // Time a simulated device spends: a virtual clock moves on by it; on a real clock it
  // passes by itself, so nothing happens here.
  virtual void advance(double /*seconds*/) {}
};

// Wall-clock time of this machine.
class SystemClock final : public Clock {
 public:
  float seconds_since_midnight() override;
  double monotonic_seconds() override;
};

// Time that passes only when someone advances it. Every reading advances it by a small
// step, so a busy wait on it always ends.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(double time_of_day_s = 8 * 3600.0, double read_step_s = 1e-6)
      : start_of_day_s_(time_of_day_s), read_step_s_(read_step_s) {}

  float seconds_since_midnight() override;
  double monotonic_seconds() override;

  void advance(double seconds) override { elapsed_s_ += seconds; }
  double elapsed() const { return elapsed_s_; }

 private:
  double start_of_day_s_;
  double read_step_s_;
  double elapsed_s_ = 0.0;
};

}  // namespace quelnor::util
