// A sweep plan: one or more segments of frequencies, each with its own spacing, excitation
// range and gain (fixed or automatic), settling, clock and averaging; its validation and the
// frequency codes the chip will really be programmed with.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quelnor::instrument {

enum class Spacing { linear, logarithmic };
enum class ClockSource { external, internal };

constexpr int auto_select = 0;  // range or PGA chosen per point by auto-ranging
constexpr double external_clock_default_hz = 16.0e6;  // the board's oscillator
constexpr double internal_clock_default_hz = 16.776e6;

struct SweepSegment {
  double start_hz = 1000.0;
  double stop_hz = 100000.0;
  int points = 50;
  Spacing spacing = Spacing::linear;
  int range = auto_select;      // 1..4 (2, 1, 0.4, 0.2 V p-p) or auto_select
  int pga = auto_select;        // 1, 5 or auto_select
  int settling_cycles = 15;     // 0..511
  int settling_multiplier = 1;  // 1, 2 or 4
  ClockSource clock = ClockSource::external;
  double mclk_hz = external_clock_default_hz;
  int average = 1;  // measurements per point, averaged (1..1000)
};

struct SweepPlan {
  std::vector<SweepSegment> segments;
};

// A plan that cannot run. The text names the field: "segment 2: stop_hz ...".
class PlanError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// One point as the chip will measure it.
struct PlannedPoint {
  std::size_t segment = 0;
  std::uint32_t code = 0;     // 24-bit frequency code
  double frequency_hz = 0.0;  // the code's frequency at the segment's MCLK
  // True when the chip reaches this point from the previous one with its own increment
  // command (same segment, equal code step); false when it is programmed afresh.
  bool by_increment = false;
};

// Raises PlanError naming the first field that cannot run; writes nothing anywhere.
void validate_plan(const SweepPlan& plan);

// The validated plan's points in measurement order (validates first).
std::vector<PlannedPoint> planned_points(const SweepPlan& plan);

// The largest number of points a plan may have, all segments together.
constexpr int max_plan_points = 100000;

// The requested frequencies of a segment, before they are turned into codes.
std::vector<double> requested_frequencies(const SweepSegment& segment);

// The chip's synthesiser: f = code x (MCLK / 4) / 2^27. nearest_code rounds to the nearest
// code; the caller checks the 24-bit limit.
double code_frequency_hz(std::uint32_t code, double mclk_hz);
double nearest_code(double frequency_hz, double mclk_hz);
constexpr std::uint32_t max_frequency_code = 0xFFFFFF;

std::string spacing_name(Spacing spacing);
std::string clock_name(ClockSource clock);
// A one-line description of the plan for files and logs.
std::string describe_plan(const SweepPlan& plan);

}  // namespace quelnor::instrument
