// Interpolation between a trace's points against log frequency.
#include "analysis/trace_interpolation.h"

#include <gtest/gtest.h>

#include "analysis/trace_fixtures.h"

namespace quelnor::analysis {
namespace {

using test::capacitor;
using test::sampled;

TEST(TraceInterpolation, CapacitorAndInductorAreExactBetweenDecadePoints) {
  const auto cap = sampled({1e3, 1e4, 1e5}, [](double f) { return capacitor(1e-9, f); });
  for (double f : {1.5e3, 3162.2776601683795, 7e3, 4.2e4}) {
    const auto z = interpolate_impedance(cap, f);
    ASSERT_TRUE(z) << f;
    EXPECT_NEAR(z->real(), 0.0, 1e-9 * std::abs(z->imag())) << f;
    EXPECT_NEAR(z->imag(), capacitor(1e-9, f).imag(), 1e-9 * std::abs(z->imag())) << f;
  }
  const auto ind = sampled({10, 1e6}, [](double f) { return test::series_rlc(0, 1e-3, 0, f); });
  const auto z = interpolate_impedance(ind, 1e3);
  ASSERT_TRUE(z);
  EXPECT_NEAR(z->imag(), 6.283185307179586, 1e-9);
}

TEST(TraceInterpolation, MeasuredPointsAndSpanEnds) {
  const auto cap = sampled({1e3, 1e4, 1e5}, [](double f) { return capacitor(1e-9, f); });
  EXPECT_EQ(*interpolate_impedance(cap, 1e4), cap[1].impedance_ohm);
  EXPECT_EQ(*interpolate_impedance(cap, 1e3), cap[0].impedance_ohm);
  EXPECT_EQ(*interpolate_impedance(cap, 1e5), cap[2].impedance_ohm);
  EXPECT_FALSE(interpolate_impedance(cap, 999.0));
  EXPECT_FALSE(interpolate_impedance(cap, 1.0001e5));
  EXPECT_FALSE(interpolate_impedance(cap, std::nan("")));
  EXPECT_FALSE(interpolate_impedance({}, 1e3));
}

TEST(TraceInterpolation, PhaseTakesTheShorterWayRound) {
  // +170 deg and -170 deg: half way is 180 deg, not 0 deg.
  const auto points = sampled({1e3, 1e5}, [](double f) {
    return std::polar(100.0, (f < 1e4 ? 170.0 : -170.0) * std::numbers::pi / 180);
  });
  const auto z = interpolate_impedance(points, 1e4);
  ASSERT_TRUE(z);
  EXPECT_NEAR(std::abs(*z), 100.0, 1e-9);
  EXPECT_NEAR(std::abs(std::arg(*z)), std::numbers::pi, 1e-9);
}

TEST(TraceInterpolation, ZeroNeighbourFallsBackToAStraightLine) {
  const auto points = sampled({1e3, 3e3}, [](double f) { return f < 2e3 ? std::complex<double>(0, 0) : std::complex<double>(20, -10); });
  const auto z = interpolate_impedance(points, 2e3);
  ASSERT_TRUE(z);
  EXPECT_NEAR(z->real(), 10.0, 1e-12);
  EXPECT_NEAR(z->imag(), -5.0, 1e-12);
}

TEST(TraceInterpolation, NearestPointOnALogAxis) {
  const auto points = sampled({1e3, 1e4, 1e5}, [](double f) { return capacitor(1e-9, f); });
  EXPECT_EQ(nearest_point(points, 3e3), 0u);  // below the geometric middle 3162 Hz
  EXPECT_EQ(nearest_point(points, 3.3e3), 1u);
  EXPECT_EQ(nearest_point(points, 10.0), 0u);
  EXPECT_EQ(nearest_point(points, 1e9), 2u);
}

}  // namespace
}  // namespace quelnor::analysis
