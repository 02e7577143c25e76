// Polling the chip's status register for valid real/imaginary data, with a bound: a chip
// that never delivers (no clock at MCLK, a dead board) ends the caller instead of hanging.
#pragma once

#include "model/session.h"
#include "util/clock.h"

namespace quelnor::measure {

// How long past its longest possible measurement the chip may stay without valid data.
constexpr double data_valid_timeout_s = 1.0;

// The longest a point at this frequency may legitimately take: the most settling cycles
// the chip takes (511 at x4) over the frequency. The DFT window adds about a millisecond
// at the usual clocks, well inside the margin.
double longest_settling_s(double frequency_hz);

// Reads the status register once; true when its data-valid bit is set.
bool data_valid(model::Session& s);

// Raises RunTimeError once the longest settling time at the point's frequency plus
// data_valid_timeout_s have passed since construction, on the monotonic clock.
class DataValidDeadline {
 public:
  DataValidDeadline(util::Clock& clock, double frequency_hz);
  void check();

 private:
  util::Clock& clock_;
  double start_s_;
  double allowed_s_;
};

// The sweeps' wait: if the data is not valid, ask the chip to repeat the point, then poll
// until it is. Raises RunTimeError when the bound is reached.
void wait_for_point_data(model::Session& s, double frequency_hz);

}  // namespace quelnor::measure
