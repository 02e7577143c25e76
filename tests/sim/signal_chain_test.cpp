// Data the board's chip produces for an impedance: calibration of the default resistor,
// proportionality to the admittance, phase convention, ranges, gain, clipping and noise.
#include "sim/signal_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/board_fixture.h"

namespace quelnor::sim::testing {
namespace {

constexpr std::uint32_t code_30khz = 0x0F5C28;  // at MCLK 16 MHz
constexpr double window_gain_factor = 5.13427021632825E-10;

std::uint32_t code_for(double frequency_hz) {
  return static_cast<std::uint32_t>(frequency_hz / (16.0e6 / 4) * 16777215 * 8);
}

// Impedance phase as the software computes it: the data angle minus a resistor's.
double corrected_phase(double angle_deg, double resistor_angle_deg) {
  double p = angle_deg - resistor_angle_deg;
  if (p > 180.0) p -= 360.0;
  if (p < -180.0) p += 360.0;
  return p;
}

using Measurement = BoardFixture;

TEST_F(Measurement, DefaultResistorReadsAsTwoHundredKilohmWithTheWindowsGainFactor) {
  const DataPoint point = measure();
  EXPECT_NEAR(point.magnitude(), 9739.0, 9739.0 * 0.01);
  EXPECT_NEAR(1.0 / (window_gain_factor * point.magnitude()), 200e3, 200e3 * 0.01);
}

TEST_F(Measurement, MagnitudeFollowsTheAdmittanceOfAResistor) {
  const double reference = measure().magnitude();
  for (const auto& [expression, ratio] :
       std::vector<std::pair<std::string, double>>{{"R100k", 2.0},
                                                   {"R400k", 0.5},
                                                   {"R1M", 0.2},
                                                   {"R100k+R100k", 1.0},
                                                   {"R400k||R400k", 1.0}}) {
    board.set_dut(expression);
    EXPECT_NEAR(measure().magnitude() / reference, ratio, ratio * 0.005) << expression;
  }
}

TEST_F(Measurement, CorrectedPhaseIsTheImpedancesOwnPhase) {
  struct Case {
    const char* expression;
    double frequency_hz;
    double phase_deg;
  };
  // R||C: -atan(2 pi f R C); L: +90; C: -90.
  const Case cases[] = {
      {"C15p", 30000, -90.0},       {"C100p", 10000, -90.0},
      {"L1", 30000, 90.0},          {"R200k||C15p", 30000, -29.49},
      {"R50k+L100m", 80000, 45.15}, {"(R200k||C15p)+R200k", 30000, -13.70},
  };
  for (const Case& c : cases) {
    board.set_dut("R200k");
    const double resistor_angle = measure(code_for(c.frequency_hz)).angle_deg();
    board.set_dut(c.expression);
    const double angle = measure(code_for(c.frequency_hz)).angle_deg();
    EXPECT_NEAR(corrected_phase(angle, resistor_angle), c.phase_deg, 0.5) << c.expression;
  }
}

TEST_F(Measurement, SystemPhaseStaysInsideTheChartAndGainRollsOffGently) {
  std::vector<double> magnitudes;
  for (double frequency_hz : {1000.0, 10000.0, 50000.0, 100000.0}) {
    const DataPoint point = measure(code_for(frequency_hz));
    EXPECT_GT(point.angle_deg(), 100.0) << frequency_hz;
    EXPECT_LT(point.angle_deg(), 200.0) << frequency_hz;
    magnitudes.push_back(point.magnitude());
  }
  const double drop = 1.0 - magnitudes.back() / magnitudes.front();
  EXPECT_GT(drop, 0.005);
  EXPECT_LT(drop, 0.05);
}

TEST_F(Measurement, RangesAndGainScaleTheExcitation) {
  struct Case {
    int control_bits;  // range bits 2..1, PGA bit 0 (1 = x1)
    double ratio;      // against range 1, x1; the output resistances load a little
  };
  const Case cases[] = {
      {0x07, 0.5 * 200200 / 202400},  // range 2, 1 V p-p, 2.4 kOhm
      {0x05, 0.2 * 200200 / 201000},  // range 3, 0.4 V p-p, 1 kOhm
      {0x03, 0.1 * 200200 / 200600},  // range 4, 0.2 V p-p, 600 Ohm
      {0x02, 0.5 * 200200 / 200600},  // range 4 with gain x5
  };
  const double reference = measure(code_30khz, 0x01).magnitude();
  for (const Case& c : cases) {
    EXPECT_NEAR(measure(code_30khz, c.control_bits).magnitude() / reference, c.ratio,
                c.ratio * 0.005)
        << std::hex << "control bits 0x" << c.control_bits;
  }
}

TEST_F(Measurement, ExternalClockBitChangesTheSynthesisedFrequency) {
  board.set_dut("C10p");
  start_sweep(code_30khz, 0, 1, 15, 0x01, true);
  const double external = wait_and_read_point().magnitude();
  start_sweep(code_30khz, 0, 1, 15, 0x01, false);
  const double internal = wait_and_read_point().magnitude();
  EXPECT_NEAR(internal / external, 16.776 / 16.0, 0.005);
}

TEST_F(Measurement, OverdrivenAdcSaturatesInsteadOfGrowing) {
  std::vector<double> magnitudes;
  for (const char* expression : {"R10k", "R1k", "R100", "R0"}) {
    board.set_dut(expression);
    const DataPoint point = measure();
    EXPECT_TRUE(std::isfinite(point.magnitude())) << expression;
    magnitudes.push_back(point.magnitude());
  }
  board.set_dut("R200k");
  const double linear_10k = 20.0 * measure().magnitude();
  EXPECT_LT(magnitudes[0], 0.5 * linear_10k) << "10 kOhm already clips";
  for (std::size_t i = 1; i < magnitudes.size(); ++i) {
    EXPECT_NEAR(magnitudes[i] / magnitudes[0], 1.0, 0.02) << "stops growing";
  }
  // Gain x5 on the default resistor overdrives the ADC too.
  const double gain_x1 = measure(code_30khz, 0x01).magnitude();
  EXPECT_LT(measure(code_30khz, 0x00).magnitude(), 0.8 * 5.0 * gain_x1);
}

TEST_F(Measurement, MagnitudeFollowsTheFeedbackResistor) {
  EXPECT_EQ(board.feedback_resistance(), 100e3);
  const double at_100k = measure().magnitude();
  board.set_feedback_resistance(50e3);
  EXPECT_NEAR(measure().magnitude() / at_100k, 0.5, 0.002);
  for (double refused : {0.0, -1e3, std::nan(""), HUGE_VAL}) {
    EXPECT_THROW(board.set_feedback_resistance(refused), std::invalid_argument) << refused;
  }
  EXPECT_EQ(board.feedback_resistance(), 50e3);
}

TEST_F(Measurement, OpenCircuitGivesNoSignal) {
  board.set_dut("C0");
  const DataPoint point = measure();
  EXPECT_EQ(point.real, 0.0);
  EXPECT_EQ(point.imaginary, 0.0);
}

std::vector<DataPoint> noisy_points(std::uint64_t seed, const char* expression, int count,
                                    VirtualBoardOptions options = {}) {
  options.noise_seed = seed;
  BoardSession session(options);
  EXPECT_TRUE(session.open());
  session.board.set_dut(expression);
  std::vector<DataPoint> points;
  for (int i = 0; i < count; ++i) points.push_back(session.measure());
  return points;
}

TEST(NoisyMeasurement, NoiseIsAboutAHalfThousandthOfTheSignal) {
  const std::vector<DataPoint> points = noisy_points(1, "R200k", 300);
  double mean = 0.0;
  for (const DataPoint& p : points) mean += p.magnitude();
  mean /= static_cast<double>(points.size());
  double variance = 0.0;
  for (const DataPoint& p : points) variance += (p.magnitude() - mean) * (p.magnitude() - mean);
  const double relative_rms = std::sqrt(variance / static_cast<double>(points.size())) / mean;
  EXPECT_GT(relative_rms, 0.0002);
  EXPECT_LT(relative_rms, 0.001);
}

// Rms about the mean of the real parts, in data-register counts.
double real_part_rms(const std::vector<DataPoint>& points) {
  double mean = 0.0;
  for (const DataPoint& p : points) mean += p.real;
  mean /= static_cast<double>(points.size());
  double variance = 0.0;
  for (const DataPoint& p : points) variance += (p.real - mean) * (p.real - mean);
  return std::sqrt(variance / static_cast<double>(points.size()));
}

TEST(NoisyMeasurement, AdcFloorAddsTheSameAbsoluteNoiseToSmallAndLargeSignals) {
  VirtualBoardOptions options;
  options.noise_rms_fraction = 0.0;
  options.adc_noise_lsb_rms = 3.0;
  // 3 LSB per sample over a 1024-sample DFT: 3 x sqrt(512) x 0.027942 = 1.90 counts.
  const double expected = 3.0 * dft_noise_counts_per_lsb();
  EXPECT_NEAR(expected, 1.897, 0.01);
  for (const char* dut : {"R1k+C0", "R200k", "R20M"}) {
    const double rms = real_part_rms(noisy_points(5, dut, 400, options));
    EXPECT_GT(rms, 0.85 * expected) << dut;
    EXPECT_LT(rms, 1.15 * expected) << dut;
  }
}

TEST(NoisyMeasurement, SameSeedRepeatsTheSameDataAndAnotherSeedDoesNot) {
  const std::vector<DataPoint> first = noisy_points(7, "R200k", 5);
  const std::vector<DataPoint> again = noisy_points(7, "R200k", 5);
  const std::vector<DataPoint> other = noisy_points(8, "R200k", 5);
  int differing = 0;
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].real, again[i].real);
    EXPECT_EQ(first[i].imaginary, again[i].imaginary);
    if (first[i].real != other[i].real || first[i].imaginary != other[i].imaginary) ++differing;
  }
  EXPECT_GT(differing, 0);
}

TEST(NoisyMeasurement, OpenCircuitReadsTinyButNotAlwaysZeroData) {
  const std::vector<DataPoint> points = noisy_points(3, "R1k+C0", 20);
  bool any_nonzero = false;
  for (const DataPoint& p : points) {
    EXPECT_LT(p.magnitude(), 10.0);
    any_nonzero = any_nonzero || p.magnitude() > 0.0;
  }
  EXPECT_TRUE(any_nonzero);
}

}  // namespace
}  // namespace quelnor::sim::testing
