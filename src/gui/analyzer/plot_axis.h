// One plot axis: a range on a linear or log scale, the mapping to a 0..1 position, and
// round tick values with their labels.
#pragma once

#include <string>
#include <vector>

namespace quelnor::gui::analyzer {

struct AxisRange {
  double low = 0.0;
  double high = 1.0;
  bool log = false;
};

// 0 at low, 1 at high; NaN for a value a log axis cannot show (<= 0).
double axis_position(const AxisRange& axis, double value);
double axis_value(const AxisRange& axis, double position);

// The range that shows every finite value (positive ones on a log axis) with a small
// margin; a sensible default when there is nothing to show; never of zero width.
AxisRange fitted_range(const std::vector<const std::vector<double>*>& series, bool log, bool margin = true);

// Zooms by `factor` (< 1 zooms in) around the value at `position`, and pans by a
// fraction of the range.
AxisRange zoomed(const AxisRange& axis, double position, double factor);
AxisRange panned(const AxisRange& axis, double fraction);

// Round values inside the range: 1-2-5 steps on a linear axis, decades on a log axis
// (with 2 and 5 when it spans few decades); about `target` of them.
std::vector<double> axis_ticks(const AxisRange& axis, int target);
std::string tick_label(double value);
// The labels of one axis's ticks, all in one style: plain numbers where the largest lies
// in 1..1000 (degrees, percent: "0.5", "2.5", "-45"), engineering prefixes otherwise
// ("500 u", "10 k").
std::vector<std::string> tick_labels(const std::vector<double>& ticks);

}  // namespace quelnor::gui::analyzer
