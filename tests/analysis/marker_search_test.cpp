// Marker searches on a series RLC (10 ohm, 1 mH, 1 uF; resonance at 5032.92 Hz).
#include "analysis/marker_search.h"

#include <gtest/gtest.h>

#include "analysis/trace_fixtures.h"
#include "analysis/trace_interpolation.h"

namespace quelnor::analysis {
namespace {

const auto rlc = [](double f) { return test::series_rlc(10, 1e-3, 1e-6, f); };
constexpr double resonance_hz = 5032.921210448703;

TEST(MarkerSearch, ResonanceIsInterpolatedBetweenPoints) {
  // 41 points over 1 kHz..25 kHz: neighbours 8 % apart, the crossing lies between two.
  const auto points = test::sampled(test::log_frequencies(1e3, 25e3, 41), rlc);
  const auto f = search_frequency(points, MarkerSearch::resonance);
  ASSERT_TRUE(f);
  EXPECT_NEAR(*f, resonance_hz, 2e-3 * resonance_hz);
  const std::size_t above = first_point_at_or_above(points, resonance_hz);
  EXPECT_GT(std::abs(points[above].frequency_hz - resonance_hz), 10 * std::abs(*f - resonance_hz));
}

TEST(MarkerSearch, ExtremesOfMagnitudeAndPhase) {
  const std::vector<double> frequencies = {1e3, 2e3, resonance_hz, 1e4, 2e4};
  const auto points = test::sampled(frequencies, rlc);
  EXPECT_EQ(search_frequency(points, MarkerSearch::min_magnitude), resonance_hz);
  EXPECT_EQ(search_frequency(points, MarkerSearch::max_magnitude), 1e3);  // 153 ohm vs 118 ohm at 20 kHz
  EXPECT_EQ(search_frequency(points, MarkerSearch::min_phase), 1e3);
  EXPECT_EQ(search_frequency(points, MarkerSearch::max_phase), 2e4);
  // The exact zero at a measured point is found once, not twice.
  EXPECT_EQ(resonance_frequencies(points), std::vector<double>{resonance_hz});
}

TEST(MarkerSearch, NoResonanceOrNoPoints) {
  const auto cap = test::sampled({1e3, 1e4}, [](double f) { return test::capacitor(1e-9, f); });
  EXPECT_FALSE(search_frequency(cap, MarkerSearch::resonance));
  EXPECT_FALSE(search_frequency({}, MarkerSearch::max_magnitude));
}

TEST(MarkerSearch, EveryCrossingOfAParallelThenSeriesResonator) {
  // X: -, +, -, +: three crossings.
  const auto points = test::sampled({1, 2, 3, 4}, [](double f) {
    return std::complex<double>(1, static_cast<int>(f) % 2 ? -1.0 : 3.0);
  });
  const auto found = resonance_frequencies(points);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_NEAR(found[0], 1 * std::pow(2.0, 0.25), 1e-12);  // a quarter of the way in log f
  EXPECT_GT(found[1], 2.0);
  EXPECT_LT(found[2], 4.0);
}

}  // namespace
}  // namespace quelnor::analysis
