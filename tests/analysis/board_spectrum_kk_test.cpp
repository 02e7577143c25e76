// The Kramers-Kronig test on spectra measured by the virtual board through its registers:
// a steady circuit passes, the same circuit drifting during the sweep fails and the test
// names where.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "analysis/lin_kk.h"
#include "analysis/spectrum.h"
#include "circuit/circuit_expression.h"
#include "sim/board_fixture.h"
#include "sim/signal_chain.h"

namespace quelnor::analysis {
namespace {

// A linear sweep of 100 points, 1 kHz to 100 kHz, on the external 16 MHz clock.
constexpr double code_per_hz = 134217728.0 * 4.0 / 16e6;
constexpr int points = 100;
constexpr double step_hz = 1000.0;
const std::uint32_t step_code = static_cast<std::uint32_t>(std::lround(step_hz * code_per_hz));

// A circuit large enough for range 1 at gain x1 not to clip, with its corner at 16 kHz.
constexpr const char* circuit_under_test = "R100k+(R1M||C10p)";
constexpr const char* reference = "R200k";

std::vector<std::complex<double>> sweep(sim::testing::BoardSession& session) {
  session.start_sweep(step_code, step_code, points - 1);
  std::vector<std::complex<double>> data;
  for (const auto& p : session.run_sweep_loop(points)) data.emplace_back(p.real, p.imaginary);
  return data;
}

// The DFT result is proportional to 1 / conj(Z + R_out) at each frequency, with a gain and
// a phase of the chain that a sweep of a known resistor measures.
Spectrum measure(const std::string& drift_percent_per_s) {
  sim::VirtualBoardOptions options;  // the board's own noise
  sim::testing::BoardSession session(options);
  if (!session.open()) {
    ADD_FAILURE() << "the virtual board did not open (firmware image missing?)";
    return {};
  }
  session.board.set_dut(reference);
  const auto calibration = sweep(session);
  session.board.set_dut(circuit_under_test);
  if (!drift_percent_per_s.empty()) session.board.fault("drift", {drift_percent_per_s});
  const auto measured = sweep(session);
  EXPECT_EQ(calibration.size(), static_cast<std::size_t>(points));
  EXPECT_EQ(measured.size(), static_cast<std::size_t>(points));

  const double output_ohm = sim::excitation_range(0).output_resistance_ohm;
  const double reference_ohm = 200e3;
  Spectrum spectrum;
  for (std::size_t i = 0; i < measured.size() && i < calibration.size(); ++i) {
    SpectrumPoint point;
    const double code = static_cast<double>(step_code) * static_cast<double>(i + 1);
    point.frequency_hz = code / code_per_hz;
    point.impedance_ohm =
        (reference_ohm + output_ohm) * std::conj(calibration[i] / measured[i]) - output_ohm;
    spectrum.points.push_back(point);
  }
  return spectrum;
}

TEST(BoardSpectrumKk, ASteadyCircuitPassesAtTheBoardsNoise) {
  const Spectrum spectrum = measure("");
  ASSERT_EQ(spectrum.points.size(), static_cast<std::size_t>(points));
  // The measurement is the circuit, to the board's noise.
  const auto circuit = circuit::CircuitExpression::parse(circuit_under_test);
  for (const SpectrumPoint& p : spectrum.points) {
    const auto expected = circuit.impedance(p.frequency_hz);
    EXPECT_LT(std::abs(p.impedance_ohm - expected) / std::abs(expected), 0.003) << p.frequency_hz;
  }
  const KkResult r = lin_kk(spectrum);
  EXPECT_TRUE(r.valid) << r.verdict;
  EXPECT_LT(r.noise_estimate, 0.001);
}

TEST(BoardSpectrumKk, TheSameCircuitDriftingDuringTheSweepFailsNamingFrequencies) {
  const Spectrum spectrum = measure("5");
  ASSERT_EQ(spectrum.points.size(), static_cast<std::size_t>(points));
  const KkResult r = lin_kk(spectrum);
  EXPECT_FALSE(r.valid) << r.verdict;
  ASSERT_FALSE(r.failing_frequencies_hz.empty());
  // The verdict names the first failing frequency in engineering units.
  const double first_khz = r.failing_frequencies_hz.front() / 1000.0;
  char named[32];
  std::snprintf(named, sizeof named, first_khz < 10 ? "%.3f kHz" : "%.2f kHz", first_khz);
  EXPECT_NE(r.verdict.find(named), std::string::npos) << r.verdict << " / " << named;
}

}  // namespace
}  // namespace quelnor::analysis
