// Tick steps and engineering labels of the chart axes.
#include "gui/axis_ticks.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace quelnor::gui {
namespace {

struct TicksCase {
  double lower, upper;
  std::vector<std::string> labels;
};

TEST(AxisTicks, RoundStepsWithOnePrefixAndJustEnoughDecimals) {
  const TicksCase cases[] = {
      // The default sweep: 30 kHz to 30.2 kHz.
      {30000, 30200, {"30k", "30.05k", "30.1k", "30.15k", "30.2k"}},
      {30000, 35000, {"30k", "31k", "32k", "33k", "34k", "35k"}},
      // Impedance around 200 kOhm, 0.9 and 1.1 times the extremes.
      {180000, 220000, {"180k", "185k", "190k", "195k", "200k", "205k", "210k", "215k", "220k"}},
      // The phase chart's fixed range: ticks on both ends.
      {-180, 180, {"-180", "-120", "-60", "0", "60", "120", "180"}},
      {-90, 0, {"-90", "-75", "-60", "-45", "-30", "-15", "0"}},
      // An end the labels cannot state exactly stays unlabelled.
      {181234.5, 219876.5, {"185k", "190k", "195k", "200k", "205k", "210k", "215k"}},
      {900000, 1500000, {"0.9M", "1M", "1.1M", "1.2M", "1.3M", "1.4M", "1.5M"}},
      {0.5, 0.8, {"500m", "550m", "600m", "650m", "700m", "750m", "800m"}},
  };
  for (const TicksCase& c : cases) {
    std::vector<std::string> labels;
    for (const AxisTick& tick : axis_ticks(c.lower, c.upper)) {
      EXPECT_GE(tick.value, c.lower - 1e-9);
      EXPECT_LE(tick.value, c.upper + 1e-9);
      labels.push_back(tick.label);
    }
    EXPECT_EQ(labels, c.labels) << c.lower << " .. " << c.upper;
  }
}

TEST(AxisTicks, NoTicksForRangesThatCannotBeDrawn) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (auto [lower, upper] : {std::pair{5.0, 5.0}, {6.0, 5.0}, {nan, 1.0}, {0.0, inf}}) {
    EXPECT_TRUE(axis_ticks(lower, upper).empty()) << lower << " .. " << upper;
  }
}

TEST(AxisTicks, EngineeringText) {
  EXPECT_EQ(engineering_text(30050, 3, 2), "30.05k");
  EXPECT_EQ(engineering_text(2e6, 6, 3), "2M");
  EXPECT_EQ(engineering_text(-0.0001, 3, 1), "0k");
  EXPECT_EQ(engineering_text(15e-12, -12, 0), "15p");
}

}  // namespace
}  // namespace quelnor::gui
