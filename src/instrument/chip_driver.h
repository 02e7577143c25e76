// Register-level driving of the converter for the engine: writes skipped when the chip
// already holds the byte, commands composed with the range and PGA bits, waits timed to the
// chip's own measurement so that one status read usually finds the data valid, and a
// count of the requests made.
#pragma once

#include <array>
#include <complex>
#include <cstdint>

#include "instrument/board_access.h"

namespace quelnor::instrument {

struct Combination {
  int range = 1;
  int pga = 1;
  bool operator==(const Combination&) const = default;
};

class ChipDriver {
 public:
  explicit ChipDriver(BoardAccess& board) : board_(board) {}

  void write(std::int32_t reg, std::int32_t value);
  // Skips the request when this driver last wrote the same byte there.
  void write_if_changed(std::int32_t reg, std::int32_t value);
  std::int32_t read(std::int32_t reg);

  // Writes the control command with the combination's bits. A command that starts a
  // measurement (start sweep, increment, repeat) expects its data measurement_s later.
  void command(std::int32_t command, Combination combination);
  void start_measurement(std::int32_t command, Combination combination, double measurement_s);

  // Waits for the measurement just started, then reads the two data words. A chip that
  // gives no data long after it should raises util::RunTimeError naming the frequency.
  std::complex<double> wait_and_read_dft(double frequency_hz);

  // Die temperature in degrees Celsius (measured by the chip; a little under a millisecond).
  double read_temperature_c(Combination combination);

  // Whether the status read that found the last result valid also said the chip's sweep
  // is complete (no further increment will move it).
  bool sweep_complete_seen() const { return sweep_complete_seen_; }

  void sleep(double seconds) { board_.sleep(seconds); }
  std::int64_t requests() const { return requests_; }
  double now_s() { return board_.clock.monotonic_seconds(); }

 private:
  void note_request_time(double started_s);
  void wait_for_status(std::int32_t bit, double ready_s, double measurement_s, const char* what);

  BoardAccess& board_;
  std::array<std::int16_t, 256> written_{};  // -1: unknown
  bool cache_valid_ = false;
  std::int64_t requests_ = 0;
  double latency_s_ = 0.0;  // running estimate of one request's duration
  double ready_s_ = 0.0;
  double measurement_s_ = 0.0;
  bool sweep_complete_seen_ = false;
};

// The chip's time for one measurement: settling cycles at the frequency plus the DFT's 1024
// samples at MCLK / 16.
double measurement_time_s(double frequency_hz, int settling_cycles, int settling_multiplier,
                          double mclk_hz);

}  // namespace quelnor::instrument
