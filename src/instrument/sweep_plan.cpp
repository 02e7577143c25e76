// Plan validation and the chip's frequency codes for every point.
#include "instrument/sweep_plan.h"

#include <cmath>
#include <sstream>

namespace quelnor::instrument {
namespace {

constexpr double code_scale = 134217728.0;  // 2^27: the synthesiser's phase step
constexpr double largest_mclk_hz = 50e6;

std::string number(double value) {
  std::ostringstream text;
  text.precision(10);
  text << value;
  return text.str();
}

[[noreturn]] void refuse(std::size_t segment, const std::string& field, const std::string& why) {
  throw PlanError("segment " + std::to_string(segment + 1) + ": " + field + " " + why);
}

void check_frequency(std::size_t index, const char* field, double hz, double mclk_hz) {
  if (!std::isfinite(hz)) refuse(index, field, "is not a number");
  if (hz <= 0.0) refuse(index, field, number(hz) + " must be above 0 Hz");
  const double limit_hz = code_frequency_hz(max_frequency_code, mclk_hz);
  if (nearest_code(hz, mclk_hz) > max_frequency_code) {
    refuse(index, field,
           number(hz) + " Hz is above the chip's limit of " + number(std::floor(limit_hz)) +
               " Hz at MCLK " + number(mclk_hz) + " Hz");
  }
  if (nearest_code(hz, mclk_hz) < 1.0) {
    refuse(index, field, number(hz) + " Hz is below the chip's lowest frequency step");
  }
}

void check_segment(std::size_t i, const SweepSegment& s) {
  if (!std::isfinite(s.mclk_hz) || s.mclk_hz <= 0.0 || s.mclk_hz > largest_mclk_hz) {
    refuse(i, "mclk_hz", number(s.mclk_hz) + " is not a usable clock frequency");
  }
  if (s.points < 1 || s.points > max_plan_points) {
    refuse(i, "points",
           std::to_string(s.points) + " must be 1 to " + std::to_string(max_plan_points));
  }
  check_frequency(i, "start_hz", s.start_hz, s.mclk_hz);
  if (s.points > 1) {
    check_frequency(i, "stop_hz", s.stop_hz, s.mclk_hz);
    if (!(s.stop_hz > s.start_hz)) {
      refuse(i, "stop_hz", number(s.stop_hz) + " must be above start_hz " + number(s.start_hz));
    }
  }
  if (s.range < 0 || s.range > 4)
    refuse(i, "range", std::to_string(s.range) + " must be 1 to 4 or auto");
  if (s.pga != auto_select && s.pga != 1 && s.pga != 5) {
    refuse(i, "pga", std::to_string(s.pga) + " must be 1, 5 or auto");
  }
  if (s.settling_cycles < 0 || s.settling_cycles > 511) {
    refuse(i, "settling_cycles", std::to_string(s.settling_cycles) + " must be 0 to 511");
  }
  if (s.settling_multiplier != 1 && s.settling_multiplier != 2 && s.settling_multiplier != 4) {
    refuse(i, "settling_multiplier", std::to_string(s.settling_multiplier) + " must be 1, 2 or 4");
  }
  if (s.average < 1 || s.average > 1000) {
    refuse(i, "average", std::to_string(s.average) + " must be 1 to 1000");
  }
}

// Codes of one segment; linear segments step by one code increment the chip can repeat.
std::vector<PlannedPoint> segment_points(std::size_t index, const SweepSegment& s) {
  std::vector<PlannedPoint> points;
  const auto start_code = static_cast<std::uint32_t>(nearest_code(s.start_hz, s.mclk_hz));
  if (s.points == 1) {
    points.push_back({index, start_code, code_frequency_hz(start_code, s.mclk_hz), false});
    return points;
  }
  if (s.spacing == Spacing::linear) {
    const double stop_code = nearest_code(s.stop_hz, s.mclk_hz);
    const double step = std::round((stop_code - start_code) / (s.points - 1));
    if (step < 1.0) refuse(index, "points", "are closer together than the chip's frequency step");
    const double last = start_code + step * (s.points - 1);
    if (last > max_frequency_code) refuse(index, "stop_hz", "is beyond the chip's limit");
    for (int k = 0; k < s.points; ++k) {
      const auto code = static_cast<std::uint32_t>(start_code + step * k);
      points.push_back({index, code, code_frequency_hz(code, s.mclk_hz), k > 0});
    }
    return points;
  }
  for (const double hz : requested_frequencies(s)) {
    const auto code = static_cast<std::uint32_t>(nearest_code(hz, s.mclk_hz));
    if (!points.empty() && code <= points.back().code) {
      refuse(index, "points", "are closer together than the chip's frequency step");
    }
    points.push_back({index, code, code_frequency_hz(code, s.mclk_hz), false});
  }
  return points;
}

}  // namespace

double code_frequency_hz(std::uint32_t code, double mclk_hz) {
  return static_cast<double>(code) * (mclk_hz / 4.0) / code_scale;
}

double nearest_code(double frequency_hz, double mclk_hz) {
  return std::round(frequency_hz / (mclk_hz / 4.0) * code_scale);
}

std::vector<double> requested_frequencies(const SweepSegment& s) {
  std::vector<double> hz;
  if (s.points <= 1) return {s.start_hz};
  for (int k = 0; k < s.points; ++k) {
    const double t = static_cast<double>(k) / (s.points - 1);
    hz.push_back(s.spacing == Spacing::linear ? s.start_hz + (s.stop_hz - s.start_hz) * t
                                              : s.start_hz * std::pow(s.stop_hz / s.start_hz, t));
  }
  return hz;
}

void validate_plan(const SweepPlan& plan) {
  if (plan.segments.empty()) throw PlanError("the plan has no segments");
  long total = 0;
  for (std::size_t i = 0; i < plan.segments.size(); ++i) {
    const SweepSegment& s = plan.segments[i];
    check_segment(i, s);
    total += s.points;
    if (i > 0) {
      const SweepSegment& before = plan.segments[i - 1];
      const double before_end_hz = before.points > 1 ? before.stop_hz : before.start_hz;
      if (!(s.start_hz > before_end_hz)) {
        refuse(i, "start_hz",
               number(s.start_hz) + " must be above the previous segment's end " +
                   number(before_end_hz) + " (segments may not overlap or run backwards)");
      }
    }
  }
  if (total > max_plan_points) {
    throw PlanError("the plan has " + std::to_string(total) + " points; at most " +
                    std::to_string(max_plan_points) + " are allowed");
  }
  for (std::size_t i = 0; i < plan.segments.size(); ++i) segment_points(i, plan.segments[i]);
}

std::vector<PlannedPoint> planned_points(const SweepPlan& plan) {
  validate_plan(plan);
  std::vector<PlannedPoint> all;
  for (std::size_t i = 0; i < plan.segments.size(); ++i) {
    const std::vector<PlannedPoint> points = segment_points(i, plan.segments[i]);
    all.insert(all.end(), points.begin(), points.end());
  }
  return all;
}

std::string spacing_name(Spacing spacing) {
  return spacing == Spacing::linear ? "lin" : "log";
}

std::string clock_name(ClockSource clock) {
  return clock == ClockSource::external ? "external" : "internal";
}

std::string describe_plan(const SweepPlan& plan) {
  std::string text;
  for (std::size_t i = 0; i < plan.segments.size(); ++i) {
    const SweepSegment& s = plan.segments[i];
    if (i > 0) text += "; ";
    text += number(s.start_hz) + "-" + number(s.stop_hz) + " Hz " + std::to_string(s.points) +
            " points " + spacing_name(s.spacing) + ", range " +
            (s.range == auto_select ? std::string("auto") : std::to_string(s.range)) + ", pga " +
            (s.pga == auto_select ? std::string("auto") : std::to_string(s.pga)) + ", settling " +
            std::to_string(s.settling_cycles) + "x" + std::to_string(s.settling_multiplier) + ", " +
            clock_name(s.clock) + " clock " + number(s.mclk_hz) + " Hz, average " +
            std::to_string(s.average);
  }
  return text;
}

}  // namespace quelnor::instrument
