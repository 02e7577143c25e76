// The SCPI server's instrument on the engine and the virtual board (virtual clock): plans
// turned into the engine's, calibrations added to and replaced, runs with the calibration
// in force, cancellation, files, faults and the board factory.
#include "cli/engine_instrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "analysis/spectrum.h"

namespace quelnor::cli {
namespace {

struct SettlingCase {
  int cycles;
  int chip_cycles;
  int multiplier;
};

class SettlingTest : public ::testing::TestWithParam<SettlingCase> {};

TEST_P(SettlingTest, CyclesAboveTheChipsFieldUseItsMultiplierRoundingUp) {
  remote::SweepPlan plan;
  plan.settling_cycles = GetParam().cycles;
  const instrument::SweepSegment s = engine_plan(plan).segments.at(0);
  EXPECT_EQ(s.settling_cycles, GetParam().chip_cycles);
  EXPECT_EQ(s.settling_multiplier, GetParam().multiplier);
  EXPECT_GE(s.settling_cycles * s.settling_multiplier, GetParam().cycles);
}

INSTANTIATE_TEST_SUITE_P(Table, SettlingTest,
                         ::testing::Values(SettlingCase{0, 0, 1}, SettlingCase{15, 15, 1},
                                           SettlingCase{511, 511, 1}, SettlingCase{512, 256, 2},
                                           SettlingCase{1022, 511, 2}, SettlingCase{1023, 256, 4},
                                           SettlingCase{2044, 511, 4}));

TEST(EnginePlan, SegmentsKeepTheirOrderAndSpacingAndShareRangeAndGain) {
  remote::SweepPlan plan;
  plan.range = 3;
  plan.pga = 5;
  plan.segments = {{1e3, 10e3, 5, remote::Spacing::logarithmic},
                   {20e3, 30e3, 3, remote::Spacing::linear}};
  const instrument::SweepPlan out = engine_plan(plan);
  ASSERT_EQ(out.segments.size(), 2u);
  EXPECT_EQ(out.segments[0].spacing, instrument::Spacing::logarithmic);
  EXPECT_EQ(out.segments[1].spacing, instrument::Spacing::linear);
  EXPECT_EQ(out.segments[1].start_hz, 20e3);
  EXPECT_EQ(out.segments[1].points, 3);
  for (const instrument::SweepSegment& s : out.segments) {
    EXPECT_EQ(s.range, 3);
    EXPECT_EQ(s.pga, 5);
  }
}

// The references that give every range/PGA combination two usable references.
const std::vector<std::string> references = {"R15k", "R100k", "R470k", "R2.2M"};

class EngineInstrumentTest : public ::testing::Test {
 protected:
  EngineInstrumentTest() {
    plan.start_hz = 1e3;
    plan.stop_hz = 100e3;
    plan.points = 11;
    plan.spacing = remote::Spacing::logarithmic;
    plan.feedback_resistor_ohm = 100e3;
  }

  static std::unique_ptr<EngineInstrument> open() {
    BoardRequest request;
    request.executable_dir = program_dir();
    return std::make_unique<EngineInstrument>(std::make_unique<OpenedBoard>(request));
  }

  void calibrate_all(EngineInstrument& on) {
    for (const std::string& r : references) {
      on.set_dut(r);
      on.calibrate(plan, r, idle);
    }
  }

  std::unique_ptr<EngineInstrument> instrument = open();
  remote::SweepPlan plan;
  remote::CancelFlag idle{false};
};

std::complex<double> series_r47k_c1n(double frequency_hz) {
  return {47e3, -1.0 / (2.0 * std::numbers::pi * frequency_hz * 1e-9)};
}

TEST_F(EngineInstrumentTest, MeasuresTheDutWithinTheEnginesAccuracyOnceCalibrated) {
  calibrate_all(*instrument);
  const remote::CalibrationState state = instrument->calibration_state(plan);
  EXPECT_TRUE(state.valid);
  EXPECT_EQ(state.reference, "R15k, R100k, R470k, R2.2M");
  EXPECT_TRUE(std::any_of(state.warnings.begin(), state.warnings.end(),
                          [](const std::string& w) { return w.rfind("kept range", 0) == 0; }));

  instrument->set_dut("R47k+C1n");
  EXPECT_EQ(instrument->dut(), "R47k+C1n");
  const analysis::Spectrum spectrum = instrument->measure(plan, idle);
  ASSERT_EQ(spectrum.points.size(), 11u);
  EXPECT_FALSE(spectrum.partial);
  for (const analysis::SpectrumPoint& p : spectrum.points) {
    const std::complex<double> truth = series_r47k_c1n(p.frequency_hz);
    EXPECT_LT(std::abs(p.impedance_ohm - truth), 0.02 * std::abs(truth)) << p.frequency_hz;
    EXPECT_EQ(p.flags, 0u) << p.frequency_hz;
  }
}

TEST_F(EngineInstrumentTest, WithoutACalibrationRowsAreFlaggedAndTheStateSaysSo) {
  EXPECT_FALSE(instrument->calibration_state(plan).valid);
  EXPECT_EQ(instrument->calibration_state(plan).reference, "");
  instrument->set_dut("R100k");
  const analysis::Spectrum spectrum = instrument->measure(plan, idle);
  ASSERT_FALSE(spectrum.points.empty());
  for (const analysis::SpectrumPoint& p : spectrum.points)
    EXPECT_NE(p.flags & analysis::point_flag::uncalibrated, 0u);
}

TEST_F(EngineInstrumentTest, APlanBeyondTheCalibrationInvalidatesItAndStartsANewOne) {
  instrument->set_dut("R100k");
  instrument->calibrate(plan, "R100k", idle);
  remote::SweepPlan other = plan;
  other.points = 7;
  // Inside the calibrated span the engine interpolates.
  EXPECT_TRUE(instrument->calibration_state(other).valid);
  other.start_hz = 100.0;
  const remote::CalibrationState stale = instrument->calibration_state(other);
  EXPECT_FALSE(stale.valid);
  ASSERT_FALSE(stale.warnings.empty());
  EXPECT_NE(stale.warnings.front().find("extrapolated"), std::string::npos);

  instrument->set_dut("R470k");
  instrument->calibrate(other, "R470k", idle);
  EXPECT_EQ(instrument->calibration_state(other).reference, "R470k");
}

TEST_F(EngineInstrumentTest, ACancelledRunIsPartialAndACancelledCalibrationChangesNothing) {
  instrument->set_dut("R100k");
  instrument->calibrate(plan, "R100k", idle);
  const remote::CancelFlag cancelled{true};
  instrument->set_dut("R470k");
  instrument->calibrate(plan, "R470k", cancelled);
  EXPECT_EQ(instrument->calibration_state(plan).reference, "R100k");

  const analysis::Spectrum spectrum = instrument->measure(plan, cancelled);
  EXPECT_TRUE(spectrum.partial);
  EXPECT_LT(spectrum.points.size(), 11u);
}

TEST_F(EngineInstrumentTest, ACalibrationSavedIsLoadedByAnotherServer) {
  EXPECT_THROW(instrument->save_calibration("never.json"), std::runtime_error);
  calibrate_all(*instrument);
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "quelnor-engine-instrument-test";
  std::filesystem::create_directories(dir);
  instrument->save_calibration(dir / "bench.json");

  std::unique_ptr<EngineInstrument> other = open();
  {
    std::ofstream(dir / "damaged.json") << "{\"format\":";
  }
  EXPECT_ANY_THROW(other->load_calibration(dir / "damaged.json"));
  EXPECT_FALSE(other->calibration_state(plan).valid);
  other->load_calibration(dir / "bench.json");
  EXPECT_TRUE(other->calibration_state(plan).valid);
  other->set_dut("R47k+C1n");
  const analysis::Spectrum spectrum = other->measure(plan, idle);
  ASSERT_FALSE(spectrum.points.empty());
  const std::complex<double> truth = series_r47k_c1n(spectrum.points[0].frequency_hz);
  EXPECT_LT(std::abs(spectrum.points[0].impedance_ohm - truth), 0.02 * std::abs(truth));
  std::filesystem::remove_all(dir);
}

TEST_F(EngineInstrumentTest, RefusalsAndBoardFailuresComeAsTheirExceptions) {
  EXPECT_THROW(instrument->calibrate(plan, "R1x0", idle), std::invalid_argument);
  EXPECT_THROW(instrument->set_dut("R+"), std::invalid_argument);
  remote::SweepPlan too_high = plan;
  too_high.stop_hz = 10e6;
  EXPECT_THROW(instrument->measure(too_high, idle), std::invalid_argument);
  EXPECT_THROW(instrument->set_fault("no-such-fault", {}), std::invalid_argument);

  instrument->set_fault("data-never-valid", {});
  EXPECT_EQ(instrument->active_faults(), std::vector<std::string>{"data-never-valid"});
  EXPECT_THROW(instrument->measure(plan, idle), std::runtime_error);
  instrument->set_fault("off", {"all"});
  instrument->standby();
  EXPECT_EQ(instrument->measure(plan, idle).points.size(), 11u);
}

TEST_F(EngineInstrumentTest, TheBoardIdentifiesItselfAndPassesItsSelfTest) {
  EXPECT_EQ(instrument->identity(), "virtual");
  EXPECT_TRUE(instrument->simulated());
  EXPECT_EQ(instrument->self_test(), "");
  const double celsius = instrument->temperature_c();
  EXPECT_GT(celsius, -40.0);
  EXPECT_LT(celsius, 125.0);
  EXPECT_EQ(instrument->limits().defaults.feedback_resistor_ohm, 100e3);
}

TEST(EngineInstrumentFactory, OpensTheVirtualBoardAndRefusesAMalformedBoardInOneLine) {
  std::string error;
  EXPECT_NE(open_engine_instrument("sim", error), nullptr);
  EXPECT_EQ(open_engine_instrument("usb:1-x", error), nullptr);
  EXPECT_NE(error.find("usb:1-x"), std::string::npos);
  EXPECT_EQ(error.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace quelnor::cli
