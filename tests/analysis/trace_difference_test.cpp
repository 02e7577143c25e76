// A trace against a reference of other frequencies.
#include "analysis/trace_difference.h"

#include <gtest/gtest.h>

#include "analysis/trace_fixtures.h"

namespace quelnor::analysis {
namespace {

TEST(TraceDifference, InterpolatesTheReferenceAtTheDataFrequencies) {
  const auto reference = test::sampled({1e3, 1e4, 1e5}, [](double f) { return test::capacitor(1e-9, f); });
  // 10 % larger capacitance: |Z| 1/1.1 of the reference, same phase.
  const auto data = test::sampled({500.0, 2e3, 3.3e4, 1e5, 2e5}, [](double f) { return test::capacitor(1.1e-9, f); });
  const auto rows = trace_difference(data, reference);
  ASSERT_EQ(rows.size(), 3u);  // 500 Hz and 200 kHz lie outside the reference
  EXPECT_EQ(rows[0].frequency_hz, 2e3);
  EXPECT_EQ(rows[2].frequency_hz, 1e5);
  for (const DifferencePoint& row : rows) {
    EXPECT_NEAR(row.magnitude_change_percent, 100 * (1 / 1.1 - 1), 1e-9) << row.frequency_hz;
    EXPECT_NEAR(row.phase_change_deg, 0.0, 1e-9);
    EXPECT_NEAR(row.ratio.real(), 1 / 1.1, 1e-12);
    EXPECT_NEAR(row.ratio.imag(), 0.0, 1e-12);
    const auto expected = test::capacitor(1.1e-9, row.frequency_hz) - test::capacitor(1e-9, row.frequency_hz);
    EXPECT_NEAR(row.difference_ohm.imag(), expected.imag(), 1e-9 * std::abs(expected.imag()));
  }
}

TEST(TraceDifference, PhaseChangeIsWrapped) {
  const auto reference = test::sampled({1e3, 1e4}, [](double) { return std::polar(1.0, 3.0); });
  const auto data = test::sampled({1e3}, [](double) { return std::polar(2.0, -3.0); });
  const auto rows = trace_difference(data, reference);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_NEAR(rows[0].phase_change_deg, (2 * std::numbers::pi - 6.0) * 180 / std::numbers::pi, 1e-9);
  EXPECT_NEAR(rows[0].magnitude_change_percent, 100.0, 1e-9);
}

}  // namespace
}  // namespace quelnor::analysis
