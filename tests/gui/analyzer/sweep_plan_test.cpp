// Plan frequencies and the calibration's plain-word warnings.
#include "gui/analyzer/sweep_plan.h"

#include <gtest/gtest.h>

#include "gui/analyzer/calibration_check.h"

namespace quelnor::gui::analyzer {
namespace {

TEST(SweepPlan, FrequenciesAndProblems) {
  SweepPlan log;
  log.start_hz = 1e3;
  log.stop_hz = 1e5;
  log.points = 3;
  EXPECT_EQ(plan_frequencies(log), (std::vector<double>{1e3, 1e4, 1e5}));
  SweepPlan lin = log;
  lin.logarithmic = false;
  EXPECT_EQ(plan_frequencies(lin), (std::vector<double>{1e3, 50.5e3, 1e5}));
  lin.points = 1;
  EXPECT_EQ(plan_frequencies(lin), std::vector<double>{1e3});
  SweepPlan bad = log;
  bad.stop_hz = 10;
  EXPECT_EQ(plan_problem(bad), "The stop frequency must not be below the start frequency.");
  EXPECT_TRUE(plan_frequencies(bad).empty());
  bad = log;
  bad.pga = 3;
  EXPECT_FALSE(plan_problem(bad).empty());
}

TEST(CalibrationCheck, WarnsInPlainWords) {
  SweepPlan plan;
  plan.start_hz = 1e3;
  plan.stop_hz = 200e3;
  CalibrationInfo c;
  EXPECT_EQ(calibration_warnings(c, plan, 0).at(0),
            "No calibration is in force: the readings are uncorrected and may be far off.");
  c.present = true;
  c.start_hz = 1e3;
  c.stop_hz = 100e3;
  c.settings = plan_settings_text(plan);
  c.taken_unix_s = 1000;
  auto warnings = calibration_warnings(c, plan, 1000 + 3600);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0],
            "The calibration covers 1 kHz to 100 kHz but the plan runs 1 kHz to 200 kHz: points outside are "
            "extrapolated.");
  plan.stop_hz = 100e3;
  plan.pga = 5;
  warnings = calibration_warnings(c, plan, 1000 + 8 * 86400);
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[0].find("the plan uses range auto, PGA 5"), std::string::npos);
  EXPECT_EQ(warnings[1], "The calibration is 8 days old: take a new one.");
}

}  // namespace
}  // namespace quelnor::gui::analyzer
