// Round tick steps and SI-prefixed labels for the chart axes.
#include "ui/qt/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quelnor::ui::qt {
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

const char* prefix_of(int exponent) {
  switch (exponent) {
    case -12: return "p";
    case -9: return "n";
    case -6: return "\u00B5";
    case -3: return "m";
    case 3: return "k";
    case 6: return "M";
    case 9: return "G";
    default: return "";
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
  const double step = round_step((upper - lower) / std::max(target_count, 1));
  if (!std::isfinite(step) || step <= 0) return ticks;

  const double largest = std::max(std::fabs(lower), std::fabs(upper));
  int prefix = static_cast<int>(std::floor(std::log10(largest) / 3.0)) * 3;
  prefix = std::clamp(prefix, -12, 9);
  // Decimals so that one step shows as a change in the last digit kept.
  const double step_scaled = step / std::pow(10.0, prefix);
  const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step_scaled) - 1e-9)));

  const double first = std::ceil(lower / step - 1e-9) * step;
  for (int i = 0; i < 1000; ++i) {
    double value = first + i * step;
    if (value > upper + step * 1e-9) break;
    if (std::fabs(value) < step * 1e-9) value = 0.0;
    ticks.push_back({value, engineering_text(value, prefix, decimals)});
  }
  return ticks;
}

}  // namespace quelnor::ui::qt
