// Accuracy of the engine on the noisy virtual board: calibrations covering all eight
// range/PGA combinations from four references, then a 1 kHz to 100 kHz logarithmic plan of
// 50 points with auto-ranging over a table of networks; and a calibration saved, loaded and
// applied giving the same rows, bit for bit, as the one in memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <memory>
#include <string>

#include "analysis/measurement_file_writer.h"
#include "instrument/calibration_file.h"
#include "instrument/engine.h"
#include "instrument/engine_board.h"
#include "instrument/reference_impedance.h"

namespace quelnor::instrument {
namespace {

using analysis::point_flag::clipped;
using analysis::point_flag::low_signal;

SweepPlan log_plan(int points, int average = 1) {
  SweepSegment s;
  s.start_hz = 1000.0;
  s.stop_hz = 100000.0;
  s.points = points;
  s.spacing = Spacing::logarithmic;
  s.average = average;
  return {{s}};
}

// Four references reach every combination twice inside the ADC's usable window: the
// largest signals with 15 kOhm on the smallest gains, 2.2 MOhm on the largest.
const char* const references[] = {"R15k", "R100k", "R470k", "R2.2M"};

class Accuracy : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    calibration_ = std::make_unique<CalibrationSet>();
    test::EngineBoard bench;
    ASSERT_TRUE(bench.ready);
    // Calibrated on a coarser grid than the measurement, so interpolation is exercised.
    for (const char* reference : references) {
      bench.board.set_dut(reference);
      const CalibrationOutcome outcome =
          calibrate(bench.access, log_plan(26, 4), reference, all_combinations(), *calibration_);
      ASSERT_TRUE(outcome.failure.empty()) << outcome.failure;
    }
  }
  static void TearDownTestSuite() { calibration_.reset(); }

  static Measurement measure_dut(const std::string& dut, const CalibrationSet& calibration,
                                 std::uint64_t seed = 11) {
    sim::VirtualBoardOptions options = test::noisy_board();
    options.noise_seed = seed;
    test::EngineBoard bench(options);
    EXPECT_TRUE(bench.ready);
    bench.board.set_dut(dut);
    return measure(bench.access, log_plan(50), &calibration);
  }

  static std::unique_ptr<CalibrationSet> calibration_;
};

std::unique_ptr<CalibrationSet> Accuracy::calibration_;

TEST_F(Accuracy, EveryCombinationIsCalibratedWithTwoOrMoreReferences) {
  ASSERT_EQ(calibration_->entries.size(), 8u);
  for (const CalibrationEntry& e : calibration_->entries) {
    EXPECT_GE(e.references.size(), 2u) << "range " << e.range << " pga " << e.pga;
  }
}

struct Network {
  const char* dut;
  bool measurable;  // false: every row must be flagged instead
};

TEST_F(Accuracy, NetworksFromTenKilohmToTenMegohmAreWithinTolerance) {
  const Network networks[] = {
      {"R10k", true},     {"R47k", true},        {"R220k", true},
      {"R1M", true},      {"R200k||C15p", true}, {"R1M||C100p", true},
      {"R47k+C1n", true}, {"R10k+C10n", true},   {"(R100k||C1n)+R10k", true},
      {"R2.2M", true},    {"R4.7M||C2p", true},  {"R10M", true},
      {"R1k", false},     {"R100M", false},
  };
  for (const Network& n : networks) {
    const Measurement m = measure_dut(n.dut, *calibration_);
    ASSERT_TRUE(m.failure.empty()) << m.failure;
    ASSERT_EQ(m.spectrum.points.size(), 50u) << n.dut;
    for (const analysis::SpectrumPoint& p : m.spectrum.points) {
      const std::complex<double> truth = circuit_impedance(n.dut, p.frequency_hz);
      const std::string where = std::string(n.dut) + " at " + std::to_string(p.frequency_hz) +
                                " Hz, range " + std::to_string(p.range) + " pga " +
                                std::to_string(p.pga);
      if (!n.measurable) {
        EXPECT_NE(p.flags & (clipped | low_signal), 0u) << where;
        continue;
      }
      const bool wide = std::abs(truth) > 1e6 * 1.0001;
      const double tolerance = wide ? 0.02 : 0.005;
      const double tolerance_deg = wide ? 2.0 : 0.5;
      EXPECT_EQ(p.flags, 0u) << where;
      EXPECT_NEAR(std::abs(p.impedance_ohm) / std::abs(truth), 1.0, tolerance) << where;
      EXPECT_NEAR(analysis::phase_deg(p.impedance_ohm), analysis::phase_deg(truth), tolerance_deg)
          << where;
    }
  }
}

TEST_F(Accuracy, SavedAndLoadedCalibrationGivesTheSameRowsBitForBit) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("quelnor_accuracy_" + std::to_string(::getpid()) + ".json");
  save_calibration(*calibration_, file.string());
  const CalibrationSet loaded = load_calibration(file.string());
  std::filesystem::remove(file);
  for (const char* dut : {"R1M||C100p", "R10k+C10n"}) {
    const Measurement in_memory = measure_dut(dut, *calibration_, 5);
    const Measurement from_file = measure_dut(dut, loaded, 5);
    ASSERT_EQ(in_memory.spectrum.points.size(), from_file.spectrum.points.size());
    for (std::size_t i = 0; i < in_memory.spectrum.points.size(); ++i) {
      const auto& a = in_memory.spectrum.points[i];
      const auto& b = from_file.spectrum.points[i];
      EXPECT_EQ(a.impedance_ohm.real(), b.impedance_ohm.real()) << dut << " row " << i;
      EXPECT_EQ(a.impedance_ohm.imag(), b.impedance_ohm.imag()) << dut << " row " << i;
      EXPECT_EQ(a.range, b.range);
      EXPECT_EQ(a.pga, b.pga);
      EXPECT_EQ(a.flags, b.flags);
    }
  }
}

}  // namespace
}  // namespace quelnor::instrument
