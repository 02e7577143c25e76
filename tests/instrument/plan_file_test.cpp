// Segmented plans from JSON: fields and defaults, and refusals naming the file and field.
#include "instrument/plan_file.h"

#include <gtest/gtest.h>

#include <string>

namespace quelnor::instrument {
namespace {

TEST(PlanFile, SegmentsWithDefaultsAndChoices) {
  const SweepPlan plan = plan_from_json(R"({"segments": [
      {"start_hz": 1000, "stop_hz": 10000, "points": 10},
      {"start_hz": 20000, "stop_hz": 90000, "points": 8, "spacing": "lin", "range": 3,
       "pga": "auto", "settling_cycles": 100, "settling_multiplier": 4, "clock": "internal",
       "average": 3}]})",
                                        "p.json");
  ASSERT_EQ(plan.segments.size(), 2u);
  const SweepSegment& a = plan.segments[0];
  EXPECT_EQ(a.spacing, Spacing::linear);
  EXPECT_EQ(a.range, auto_select);
  EXPECT_EQ(a.mclk_hz, external_clock_default_hz);
  const SweepSegment& b = plan.segments[1];
  EXPECT_EQ(b.range, 3);
  EXPECT_EQ(b.pga, auto_select);
  EXPECT_EQ(b.settling_cycles, 100);
  EXPECT_EQ(b.settling_multiplier, 4);
  EXPECT_EQ(b.clock, ClockSource::internal);
  EXPECT_EQ(b.mclk_hz, internal_clock_default_hz);
  EXPECT_EQ(b.average, 3);
}

TEST(PlanFile, RefusalsNameTheFileAndField) {
  const std::pair<const char*, const char*> cases[] = {
      {"{", "p.json: not a JSON document"},
      {R"({"points": 3})", "p.json: not a sweep plan"},
      {R"({"segments": [{"start_hz": 1000, "points": 3}]})",
       "p.json: segments[0].stop_hz: is missing"},
      {R"({"segments": [{"start_hz": 1000, "stop_hz": 2000, "points": 3, "colour": 1}]})",
       "segments[0].colour: is not a segment field"},
      {R"({"segments": [{"start_hz": "1k", "stop_hz": 2000, "points": 3}]})",
       "segments[0].start_hz: is not a number"},
      {R"({"segments": [{"start_hz": 1000, "stop_hz": 2000, "points": 3, "spacing": "exp"}]})",
       "segments[0].spacing: must be"},
      {R"({"segments": [{"start_hz": 1000, "stop_hz": 2000, "points": 3, "range": "max"}]})",
       "segments[0].range: must be a number or \"auto\""},
      {R"({"segments": [{"start_hz": 1000, "stop_hz": 2000, "points": 3}, {"start_hz": 1500, "stop_hz": 3000, "points": 3}]})",
       "p.json: segment 2: start_hz 1500 must be above the previous segment's end 2000"},
      {R"({"segments": []})", "p.json: the plan has no segments"},
      // Numbers beyond the double range, and a whole number beyond 64 signed bits.
      {R"({"segments": [{"start_hz": 5016e600, "stop_hz": 2000, "points": 3}]})",
       "p.json: not a JSON document"},
      {R"({"segments": [{"start_hz": 1000, "stop_hz": 2000, "points": 18446744073709551615}]})",
       "segments[0].points: is out of range"},
  };
  for (const auto& [text, expected] : cases) {
    try {
      plan_from_json(text, "p.json");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const PlanError& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(load_plan("/nonexistent/plan.json"), PlanError);
}

}  // namespace
}  // namespace quelnor::instrument
