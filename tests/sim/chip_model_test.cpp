// The modelled chip's command state machine and timing, driven through the board's
// register requests: sweeps, status bits, settling time, clock source and temperature.
#include "sim/chip_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/board_fixture.h"

namespace quelnor::sim::testing {
namespace {

constexpr std::uint32_t code_30khz = 0x0F5C28;  // at MCLK 16 MHz

using ChipSweep = BoardFixture;

// Start 30000 Hz at MCLK 16 MHz (0x84 <- 0x28, 0x83 <- 0x5C, 0x82 <- 0x0F), delta code
// 67, settling 15, external clock, initialise 0x11, start 0x21, increments 0x31.
TEST_F(ChipSweep, SoftwareLoopMeasuresExactlyNPlusOnePoints) {
  for (int increments : {1, 5, 100, 511}) {
    start_sweep(code_30khz, 67, increments);
    const std::vector<DataPoint> points = run_sweep_loop(600);
    ASSERT_EQ(static_cast<int>(points.size()), increments + 1) << increments << " increments";
    for (const DataPoint& point : points) {
      EXPECT_NEAR(point.magnitude(), 9739.0, 9739.0 * 0.01);
    }
  }
}

TEST_F(ChipSweep, IncrementsStepTheSynthesisedFrequency) {
  // A capacitor's admittance grows with frequency: 10, 20, 30, 40, 50 kHz.
  board.set_dut("C10p");
  const std::uint32_t code_10khz = 335544;
  start_sweep(code_10khz, code_10khz, 4);
  const std::vector<DataPoint> points = run_sweep_loop(10);
  ASSERT_EQ(points.size(), 5u);
  for (std::size_t i = 1; i < points.size(); ++i) {
    EXPECT_NEAR(points[i].magnitude() / points[0].magnitude(), static_cast<double>(i + 1),
                0.01 * (i + 1))
        << "point " << i;
  }
}

TEST_F(ChipSweep, CompleteBitStaysClearUntilTheLastPointsDataIsValid) {
  start_sweep(code_30khz, 67, 2);
  EXPECT_EQ(read(0x8F) & 0x06, 0);  // measuring the first point
  wait_and_read_point();
  EXPECT_EQ(read(0x8F) & 0x04, 0);
  write(0x80, 0x31);
  EXPECT_EQ(read(0x8F) & 0x02, 0) << "a new measurement clears data-valid";
  wait_and_read_point();
  EXPECT_EQ(read(0x8F) & 0x04, 0);
  write(0x80, 0x31);
  wait_and_read_point();
  EXPECT_EQ(read(0x8F) & 0x06, 0x06);
  // Incrementing past the end keeps the last result and the complete flag.
  write(0x80, 0x31);
  EXPECT_EQ(read(0x8F) & 0x06, 0x06);
}

TEST_F(ChipSweep, RepeatMeasuresTheSameFrequencyAgain) {
  start_sweep(code_30khz, 67, 1);
  const DataPoint first = wait_and_read_point();
  write(0x80, 0x41);
  EXPECT_EQ(read(0x8F) & 0x02, 0);
  const DataPoint again = wait_and_read_point();
  EXPECT_EQ(again.real, first.real);  // noise is off: same frequency, same data
  EXPECT_EQ(again.imaginary, first.imaginary);
}

TEST_F(ChipSweep, StandbyAndInitialiseClearTheMeasurementStatus) {
  for (int command : {0xB0, 0xA0, 0x11}) {
    start_sweep(code_30khz, 67, 1);
    run_sweep_loop(5);
    ASSERT_EQ(read(0x8F) & 0x06, 0x06);
    write(0x80, command);
    clock.advance(1.0);
    EXPECT_EQ(read(0x8F) & 0x06, 0) << std::hex << "command 0x" << command;
    write(0x80, 0x31);  // increment outside a sweep does nothing
    clock.advance(1.0);
    EXPECT_EQ(read(0x8F) & 0x06, 0) << std::hex << "command 0x" << command;
  }
}

// Timing on a board whose requests take no time, so the clock moves only when told.
class ChipTiming : public BoardFixture {
 protected:
  ChipTiming() : BoardFixture(instant_options()) {}
  static VirtualBoardOptions instant_options() {
    VirtualBoardOptions options = quiet_options();
    options.request_latency_s = 0.0;
    return options;
  }
  // Status bit after the clock has moved to `seconds` after the start command.
  bool valid_at(double start_s, double seconds) {
    clock.advance(start_s + seconds - clock.elapsed());
    return (read(0x8F) & 0x02) != 0;
  }
};

TEST_F(ChipTiming, DataValidOnlyAfterSettlingPlusTheDftWindow) {
  struct Case {
    const char* what;
    int settling_cycles;
    int multiplier_bits;  // 0x8A bits 2..1
    bool external_clock;
    double expected_s;
  };
  const double dft_16mhz_s = 1024 * 16 / 16.0e6;
  const double dft_internal_s = 1024 * 16 / 16.776e6;
  const double f_internal_hz = 30000.0 * 16.776 / 16.0;  // same code, faster clock
  const Case cases[] = {
      {"15 cycles x1", 15, 0x0, true, 15 / 30000.0 + dft_16mhz_s},
      {"511 cycles x1", 511, 0x0, true, 511 / 30000.0 + dft_16mhz_s},
      {"100 cycles x2", 100, 0x2, true, 200 / 30000.0 + dft_16mhz_s},
      {"100 cycles x4", 100, 0x6, true, 400 / 30000.0 + dft_16mhz_s},
      {"0 cycles", 0, 0x0, true, dft_16mhz_s},
      {"15 cycles, internal oscillator", 15, 0x0, false, 15 / f_internal_hz + dft_internal_s},
  };
  for (const Case& c : cases) {
    start_sweep(code_30khz, 67, 1, c.settling_cycles, 0x01, c.external_clock);
    write(0x8A, ((c.settling_cycles >> 8) & 1) | c.multiplier_bits);
    write(0x80, 0x21);  // start again, with the multiplier in place
    const double start_s = clock.elapsed();
    EXPECT_FALSE(valid_at(start_s, 0.0)) << c.what;
    EXPECT_FALSE(valid_at(start_s, c.expected_s * 0.98)) << c.what;
    EXPECT_TRUE(valid_at(start_s, c.expected_s * 1.02)) << c.what;
  }
}

TEST_F(ChipTiming, ZeroFrequencyMeasuresWithoutSettling) {
  board.set_dut("C1u+R1k");
  start_sweep(0, 0, 1);
  const double start_s = clock.elapsed();
  EXPECT_TRUE(valid_at(start_s, 1024 * 16 / 16.0e6 * 1.02));
  const DataPoint point = read_data();
  EXPECT_EQ(point.real, 0.0);  // the capacitor blocks DC
  EXPECT_EQ(point.imaginary, 0.0);
}

TEST_F(ChipTiming, TemperatureValidAfterTheConversionAndDriftsBetween25And30) {
  std::vector<double> readings;
  for (double at_s : {0.0, 150.0, 300.0, 450.0, 600.0, 750.0, 900.0, 1050.0}) {
    clock.advance(at_s - clock.elapsed());
    write(0x80, 0x90);
    EXPECT_EQ(read(0x80), 0x90);
    EXPECT_EQ(read(0x8F) & 0x01, 0) << "at " << at_s;
    clock.advance(0.5e-3);
    EXPECT_EQ(read(0x8F) & 0x01, 0) << "at " << at_s;
    clock.advance(0.5e-3);
    EXPECT_EQ(read(0x8F) & 0x01, 0x01) << "at " << at_s;
    const int word = read(0x92) * 256 + read(0x93);
    EXPECT_EQ(word & 0xC000, 0);  // 14-bit count, positive here
    readings.push_back(word / 32.0);
  }
  for (double t : readings) {
    EXPECT_GE(t, 25.0);
    EXPECT_LE(t, 30.0);
  }
  const auto [low, high] = std::minmax_element(readings.begin(), readings.end());
  EXPECT_GT(*high - *low, 1.0) << "the temperature drifts over twenty minutes";
}

}  // namespace
}  // namespace quelnor::sim::testing
