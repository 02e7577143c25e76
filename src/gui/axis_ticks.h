// Tick positions and their labels for the chart axes: round steps (1, 2, 5 x 10^k) and
// labels in engineering form with an SI prefix ("30.05k", "1.2M"), so frequency and
// impedance axes stay readable. Plain C++, no Qt.
#pragma once

#include <string>
#include <vector>

namespace quelnor::gui {

struct AxisTick {
  double value = 0.0;
  std::string label;
};

// About `target_count` ticks at round steps from the first multiple of the step at or
// above `lower` to `upper`. Empty when the range is not finite or not increasing. Labels
// share one prefix (chosen from the larger end) and carry just enough decimals to tell
// neighbouring ticks apart. An end of the range that such a label states exactly, and
// that is not crowding a tick, is labelled too.
std::vector<AxisTick> axis_ticks(double lower, double upper, int target_count = 6);

// One value in engineering form with the given prefix exponent (a multiple of 3, -12..9)
// and decimals: engineering_text(30050, 3, 2) is "30.05k"; trailing zeros are dropped.
std::string engineering_text(double value, int prefix_exponent, int decimals);

}  // namespace quelnor::gui
