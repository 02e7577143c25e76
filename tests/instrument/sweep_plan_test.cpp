// Sweep plans: refusals that name the field, and the codes and frequencies the chip gets.
#include "instrument/sweep_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace quelnor::instrument {
namespace {

SweepSegment segment(double start_hz, double stop_hz, int points, Spacing spacing) {
  SweepSegment s;
  s.start_hz = start_hz;
  s.stop_hz = stop_hz;
  s.points = points;
  s.spacing = spacing;
  return s;
}

TEST(SweepPlan, RefusalsNameTheSegmentAndField) {
  struct Case {
    const char* what;
    std::function<void(SweepPlan&)> change;
    const char* expected;  // part of the error text
  };
  const Case cases[] = {
      {"no segments", [](SweepPlan& p) { p.segments.clear(); }, "no segments"},
      {"above the limit", [](SweepPlan& p) { p.segments[0].stop_hz = 600e3; },
       "segment 1: stop_hz 600000 Hz is above the chip's limit of 499999 Hz"},
      {"negative", [](SweepPlan& p) { p.segments[0].start_hz = -5; },
       "segment 1: start_hz -5 must be above 0 Hz"},
      {"not a number", [](SweepPlan& p) { p.segments[0].start_hz = NAN; },
       "start_hz is not a number"},
      {"zero points", [](SweepPlan& p) { p.segments[0].points = 0; },
       "segment 1: points 0 must be 1 to"},
      {"backwards", [](SweepPlan& p) { p.segments[0].stop_hz = 500; },
       "stop_hz 500 must be above start_hz 1000"},
      {"range", [](SweepPlan& p) { p.segments[0].range = 5; }, "range 5 must be 1 to 4 or auto"},
      {"pga", [](SweepPlan& p) { p.segments[0].pga = 2; }, "pga 2 must be 1, 5 or auto"},
      {"settling", [](SweepPlan& p) { p.segments[0].settling_cycles = 512; },
       "settling_cycles 512 must be 0 to 511"},
      {"multiplier", [](SweepPlan& p) { p.segments[0].settling_multiplier = 3; },
       "settling_multiplier 3"},
      {"average", [](SweepPlan& p) { p.segments[0].average = 0; }, "average 0 must be 1 to 1000"},
      {"clock", [](SweepPlan& p) { p.segments[0].mclk_hz = 0; }, "mclk_hz 0 is not a usable clock"},
      {"overlap",
       [](SweepPlan& p) { p.segments.push_back(segment(50e3, 90e3, 5, Spacing::linear)); },
       "segment 2: start_hz 50000 must be above the previous segment's end 100000"},
      {"too close",
       [](SweepPlan& p) { p.segments[0] = segment(1000, 1000.5, 400, Spacing::linear); },
       "closer together than the chip's frequency step"},
      {"too many", [](SweepPlan& p) { p.segments[0].points = max_plan_points + 1; },
       "points 100001 must be 1 to 100000"},
  };
  for (const Case& c : cases) {
    SweepPlan plan{{segment(1000, 100e3, 10, Spacing::linear)}};
    c.change(plan);
    try {
      validate_plan(plan);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const PlanError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
}

TEST(SweepPlan, LinearPointsStepByOneCodeAndReportTheProgrammedFrequency) {
  const std::vector<PlannedPoint> points =
      planned_points({{segment(1000, 2000, 11, Spacing::linear)}});
  ASSERT_EQ(points.size(), 11u);
  EXPECT_FALSE(points[0].by_increment);
  const std::uint32_t step = points[1].code - points[0].code;
  for (std::size_t k = 1; k < points.size(); ++k) {
    EXPECT_TRUE(points[k].by_increment);
    EXPECT_EQ(points[k].code - points[k - 1].code, step);
  }
  for (const PlannedPoint& p : points) {
    // f = code x (16 MHz / 4) / 2^27, never the requested round number.
    EXPECT_EQ(p.frequency_hz, p.code * 4e6 / 134217728.0);
    // The step is rounded to one code (0.03 Hz), so the error grows by at most half of it
    // per step.
    const double k = static_cast<double>(&p - points.data());
    EXPECT_NEAR(p.frequency_hz, 1000.0 + 100.0 * k, 0.015 * (k + 1));
  }
  EXPECT_NE(points[5].frequency_hz, 1500.0);
}

TEST(SweepPlan, LogarithmicSegmentsAreProgrammedPointByPointInOrder) {
  const std::vector<PlannedPoint> points =
      planned_points({{segment(1000, 100e3, 50, Spacing::logarithmic),
                       segment(200e3, 400e3, 3, Spacing::linear)}});
  ASSERT_EQ(points.size(), 53u);
  for (std::size_t k = 0; k < 50; ++k) {
    EXPECT_FALSE(points[k].by_increment);
    EXPECT_EQ(points[k].segment, 0u);
    if (k > 0) {
      EXPECT_NEAR(points[k].frequency_hz / points[k - 1].frequency_hz, std::pow(100.0, 1.0 / 49),
                  1e-4);
    }
  }
  EXPECT_NEAR(points[49].frequency_hz, 100e3, 0.02);
  EXPECT_FALSE(points[50].by_increment);  // a new segment starts afresh
  EXPECT_TRUE(points[51].by_increment);
  EXPECT_EQ(points[52].segment, 1u);
}

TEST(SweepPlan, InternalClockChangesTheCodesAndTheLimit) {
  SweepSegment s = segment(100e3, 100e3, 1, Spacing::linear);
  s.clock = ClockSource::internal;
  s.mclk_hz = internal_clock_default_hz;
  const std::vector<PlannedPoint> points = planned_points({{s}});
  EXPECT_NEAR(points[0].frequency_hz, 100e3, 0.02);
  EXPECT_EQ(points[0].code,
            static_cast<std::uint32_t>(std::round(100e3 / (16.776e6 / 4) * 134217728.0)));
  s.start_hz = 510e3;  // beyond 16 MHz / 32 but within 16.776 MHz / 32
  EXPECT_NO_THROW(validate_plan({{s}}));
}

}  // namespace
}  // namespace quelnor::instrument
