// Axis maths of the plot widget.
#include "gui/analyzer/plot_axis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "analysis/engineering_format.h"

namespace quelnor::gui::analyzer {
namespace {

double scaled(const AxisRange& a, double v) { return a.log ? std::log10(v) : v; }
double unscaled(const AxisRange& a, double s) { return a.log ? std::pow(10.0, s) : s; }

}  // namespace

double axis_position(const AxisRange& a, double v) {
  if (a.log && !(v > 0.0)) return std::numeric_limits<double>::quiet_NaN();
  return (scaled(a, v) - scaled(a, a.low)) / (scaled(a, a.high) - scaled(a, a.low));
}

double axis_value(const AxisRange& a, double t) {
  return unscaled(a, scaled(a, a.low) + t * (scaled(a, a.high) - scaled(a, a.low)));
}

AxisRange fitted_range(const std::vector<const std::vector<double>*>& series, bool log, bool margin) {
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (const auto* values : series) {
    for (double v : *values) {
      if (!std::isfinite(v) || (log && v <= 0.0)) continue;
      low = std::min(low, v);
      high = std::max(high, v);
    }
  }
  AxisRange a{low, high, log};
  if (!(low <= high)) return log ? AxisRange{1.0, 10.0, true} : AxisRange{-1.0, 1.0, false};
  if (log) {
    if (high / low < 1.0001) {
      a.low = low / 1.5;
      a.high = high * 1.5;
    } else if (margin) {
      const double pad = std::pow(high / low, 0.04);
      a.low = low / pad;
      a.high = high * pad;
    }
  } else {
    const double span = high - low;
    if (span <= std::abs(high) * 1e-9 || span == 0.0) {
      const double pad = std::max(std::abs(high) * 0.1, 1e-12);
      a.low = low - pad;
      a.high = high + pad;
    } else if (margin) {
      a.low = low - 0.04 * span;
      a.high = high + 0.04 * span;
    }
  }
  return a;
}

AxisRange zoomed(const AxisRange& a, double t, double factor) {
  const double s_low = scaled(a, a.low);
  const double s_high = scaled(a, a.high);
  const double s_at = s_low + t * (s_high - s_low);
  AxisRange z = a;
  z.low = unscaled(a, s_at - (s_at - s_low) * factor);
  z.high = unscaled(a, s_at + (s_high - s_at) * factor);
  // Stop before the range collapses to nothing or leaves the doubles.
  if (!(std::isfinite(z.low) && std::isfinite(z.high)) || z.high - z.low <= std::abs(z.high) * 1e-12) return a;
  return z;
}

AxisRange panned(const AxisRange& a, double fraction) {
  const double shift = fraction * (scaled(a, a.high) - scaled(a, a.low));
  AxisRange p = a;
  p.low = unscaled(a, scaled(a, a.low) + shift);
  p.high = unscaled(a, scaled(a, a.high) + shift);
  if (!(std::isfinite(p.low) && std::isfinite(p.high))) return a;
  return p;
}

std::vector<double> axis_ticks(const AxisRange& a, int target) {
  std::vector<double> ticks;
  const double low = std::min(a.low, a.high);
  const double high = std::max(a.low, a.high);
  if (!(high > low) || target < 1) return ticks;
  if (a.log) {
    const int first = static_cast<int>(std::floor(std::log10(low)));
    const int last = static_cast<int>(std::ceil(std::log10(high)));
    const int decades = last - first;
    // Few decades: 1, 2, 5 in each; many: every n-th decade.
    const std::vector<double> steps = decades <= 3 ? std::vector<double>{1, 2, 5} : std::vector<double>{1};
    const int every = std::max(1, decades / std::max(1, target));
    for (int d = first; d <= last; ++d) {
      if ((d - first) % every) continue;
      for (double m : steps) {
        const double v = m * std::pow(10.0, d);
        if (v >= low * (1 - 1e-12) && v <= high * (1 + 1e-12)) ticks.push_back(v);
      }
    }
    // A span narrower than from one 1-2-5 value to the next (a resistor's flat |Z|) would
    // carry one label or none: then it gets the linear ticks of the same span.
    if (ticks.size() < 2) return axis_ticks(AxisRange{a.low, a.high, false}, target);
    return ticks;
  }
  const double raw = (high - low) / target;
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  double step = decade;
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    step = m * decade;
    if (step >= raw) break;
  }
  for (double v = std::ceil(low / step) * step; v <= high + step * 1e-9; v += step) {
    ticks.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    if (ticks.size() > 100) break;
  }
  return ticks;
}

std::string tick_label(double value) { return analysis::engineering_text(value, "", 3); }

std::vector<std::string> tick_labels(const std::vector<double>& ticks) {
  double largest = 0.0;
  for (double v : ticks) largest = std::max(largest, std::abs(v));
  const bool plain = largest >= 1.0 && largest < 1000.0;
  std::vector<std::string> labels;
  for (double v : ticks) {
    if (!plain) {
      labels.push_back(tick_label(v));
      continue;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", std::abs(v) < largest * 1e-9 ? 0.0 : v);
    labels.emplace_back(text);
  }
  return labels;
}

}  // namespace quelnor::gui::analyzer
