// Round tick steps and SI-prefixed labels for the chart axes.
#include "gui/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quelnor::gui {
namespace {

// The 1, 2 or 5 x 10^k nearest to `raw` on a log scale.
double round_step(double raw) {
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  double best = decade;
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    const double candidate = factor * decade;
    if (std::fabs(std::log(candidate / raw)) < std::fabs(std::log(best / raw))) best = candidate;
  }
  return best;
}

bool is_multiple(double value, double step) {
  const double ratio = value / step;
  return std::fabs(ratio - std::round(ratio)) < 1e-6;
}

// The round step; or, when that misses an end of a range whose ends are round (the phase
// chart's -180 .. 180), the range cut into 4 to 8 equal pieces of a label-friendly size,
// so both ends carry a tick.
double choose_step(double lower, double upper, int target_count) {
  const double range = upper - lower;
  const double round = round_step(range / target_count);
  if (is_multiple(lower, round) && is_multiple(upper, round)) return round;
  double best = round;
  int best_distance = 1000;
  for (int pieces = 4; pieces <= 8; ++pieces) {
    const double step = range / pieces;
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    bool friendly = false;
    for (double m : {1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 4.5, 5.0, 6.0, 9.0}) {
      friendly = friendly || std::fabs(mantissa - m) < 1e-9;
    }
    if (friendly && is_multiple(lower, step) && std::abs(pieces - target_count) < best_distance) {
      best = step;
      best_distance = std::abs(pieces - target_count);
    }
  }
  return best;
}

const char* prefix_of(int exponent) {
  switch (exponent) {
    case -12:
      return "p";
    case -9:
      return "n";
    case -6:
      return "\u00B5";
    case -3:
      return "m";
    case 3:
      return "k";
    case 6:
      return "M";
    case 9:
      return "G";
    default:
      return "";
  }
}

}  // namespace

std::string engineering_text(double value, int prefix_exponent, int decimals) {
  const double scaled = value / std::pow(10.0, prefix_exponent);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, 12), scaled);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text + prefix_of(prefix_exponent);
}

std::vector<AxisTick> axis_ticks(double lower, double upper, int target_count) {
  std::vector<AxisTick> ticks;
  if (!std::isfinite(lower) || !std::isfinite(upper) || !(upper > lower)) return ticks;
  const double step = choose_step(lower, upper, std::max(target_count, 1));
  if (!std::isfinite(step) || step <= 0) return ticks;

  const double largest = std::max(std::fabs(lower), std::fabs(upper));
  int prefix = static_cast<int>(std::floor(std::log10(largest) / 3.0)) * 3;
  prefix = std::clamp(prefix, -12, 9);
  // Decimals so that every multiple of the step is written exactly.
  const double step_scaled = step / std::pow(10.0, prefix);
  int decimals = 0;
  while (decimals < 12 && !is_multiple(step_scaled * std::pow(10.0, decimals), 1.0)) ++decimals;

  const double first = std::ceil(lower / step - 1e-9) * step;
  for (int i = 0; i < 1000; ++i) {
    double value = first + i * step;
    if (value > upper + step * 1e-9) break;
    if (std::fabs(value) < step * 1e-9) value = 0.0;
    ticks.push_back({value, engineering_text(value, prefix, decimals)});
  }
  // The ends of the axis get a label too when it is exact at the ticks' precision and not
  // crowding a tick: -180 and 180 on the phase chart.
  const double quantum = std::pow(10.0, prefix - decimals);
  for (double end : {lower, upper}) {
    const bool exact = std::fabs(end - std::round(end / quantum) * quantum) <= quantum * 1e-6;
    bool clear_of_ticks = true;
    for (const AxisTick& tick : ticks) {
      clear_of_ticks = clear_of_ticks && std::fabs(tick.value - end) > 0.4 * step;
    }
    if (exact && clear_of_ticks) ticks.push_back({end, engineering_text(end, prefix, decimals)});
  }
  std::sort(ticks.begin(), ticks.end(),
            [](const AxisTick& a, const AxisTick& b) { return a.value < b.value; });
  return ticks;
}

}  // namespace quelnor::gui
