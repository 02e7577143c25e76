// Axis mapping, fitting, zoom and ticks of the plot.
#include "gui/analyzer/plot_axis.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quelnor::gui::analyzer {
namespace {

TEST(PlotAxis, LogAndLinearPositions) {
  const AxisRange log{1e3, 1e5, true};
  EXPECT_DOUBLE_EQ(axis_position(log, 1e4), 0.5);
  EXPECT_DOUBLE_EQ(axis_value(log, 0.5), 1e4);
  EXPECT_TRUE(std::isnan(axis_position(log, 0.0)));
  EXPECT_TRUE(std::isnan(axis_position(log, -5.0)));
  const AxisRange lin{-10, 30, false};
  EXPECT_DOUBLE_EQ(axis_position(lin, 0.0), 0.25);
  EXPECT_DOUBLE_EQ(axis_value(lin, 1.0), 30.0);
}

TEST(PlotAxis, FittedRangeSkipsWhatTheAxisCannotShow) {
  const std::vector<double> values = {-5, 0, 10, 1000, NAN, INFINITY};
  const AxisRange log = fitted_range({&values}, true, false);
  EXPECT_DOUBLE_EQ(log.low, 10);
  EXPECT_DOUBLE_EQ(log.high, 1000);
  const AxisRange lin = fitted_range({&values}, false, false);
  EXPECT_DOUBLE_EQ(lin.low, -5);
  EXPECT_DOUBLE_EQ(lin.high, 1000);
  const std::vector<double> flat = {7, 7};
  const AxisRange widened = fitted_range({&flat}, false);
  EXPECT_LT(widened.low, 7);
  EXPECT_GT(widened.high, 7);
  const AxisRange empty = fitted_range({}, true);
  EXPECT_LT(empty.low, empty.high);
}

TEST(PlotAxis, ZoomKeepsTheValueUnderTheCursorAndPanShifts) {
  const AxisRange log{1e3, 1e5, true};
  const AxisRange in = zoomed(log, 0.25, 0.5);
  EXPECT_NEAR(axis_value(in, 0.25), axis_value(log, 0.25), 1e-6);
  EXPECT_NEAR(std::log10(in.high / in.low), 1.0, 1e-12);
  const AxisRange moved = panned(AxisRange{0, 10, false}, 0.5);
  EXPECT_DOUBLE_EQ(moved.low, 5);
  EXPECT_DOUBLE_EQ(moved.high, 15);
  // Zooming in without end never collapses the range.
  AxisRange deep{1, 2, false};
  for (int i = 0; i < 500; ++i) deep = zoomed(deep, 0.5, 0.5);
  EXPECT_LT(deep.low, deep.high);
}

TEST(PlotAxis, Ticks) {
  EXPECT_EQ(axis_ticks({0, 10, false}, 5), (std::vector<double>{0, 2, 4, 6, 8, 10}));
  EXPECT_EQ(axis_ticks({-0.3, 0.3, false}, 3), (std::vector<double>{-0.2, 0, 0.2}));
  EXPECT_EQ(axis_ticks({1e3, 1e5, true}, 8), (std::vector<double>{1e3, 2e3, 5e3, 1e4, 2e4, 5e4, 1e5}));
  EXPECT_EQ(axis_ticks({1, 1e12, true}, 6).size(), 7u);  // every second decade
  // A narrow log span still gets labels.
  EXPECT_EQ(axis_ticks({10.5e3, 11.3e3, true}, 4), (std::vector<double>{10.6e3, 10.8e3, 11e3, 11.2e3}));
  EXPECT_EQ(tick_label(2e4), "20 k");
  using Labels = std::vector<std::string>;
  EXPECT_EQ(tick_labels({0.5, 1, 1.5, 2.5}), (Labels{"0.5", "1", "1.5", "2.5"}));  // degrees, not "500 m"
  EXPECT_EQ(tick_labels({-80, -40, 0}), (Labels{"-80", "-40", "0"}));
  EXPECT_EQ(tick_labels({0, 250e-6, 500e-6}), (Labels{"0", "250 u", "500 u"}));
  EXPECT_EQ(tick_labels({1e3, 2e3, 5e3, 1e4}), (Labels{"1 k", "2 k", "5 k", "10 k"}));
}

}  // namespace
}  // namespace quelnor::gui::analyzer
