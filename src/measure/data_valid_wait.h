// Polling the chip's status register for valid real/imaginary data, with a bound: a chip
// that never delivers (no clock at MCLK, a dead board) ends the caller instead of hanging.
#pragma once

#include "model/session.h"
#include "util/clock.h"

namespace quelnor::measure {

// Longest wait for valid data, on the session's monotonic clock.
constexpr double data_valid_timeout_s = 1.0;

// Reads the status register once; true when its data-valid bit is set.
bool data_valid(model::Session& s);

// Raises RunTimeError once data_valid_timeout_s has passed since construction.
class DataValidDeadline {
 public:
  explicit DataValidDeadline(util::Clock& clock);
  void check();

 private:
  util::Clock& clock_;
  double start_s_;
};

// The sweeps' wait: if the data is not valid, ask the chip to repeat the point, then poll
// until it is. Raises RunTimeError when the bound is reached.
void wait_for_point_data(model::Session& s);

}  // namespace quelnor::measure
