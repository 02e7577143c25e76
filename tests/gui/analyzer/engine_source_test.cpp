// The engine-backed source on the virtual board (virtual clock): calibrating with the
// references that cover every combination, measuring against it, stopping, board faults,
// calibration files.
#include "gui/analyzer/engine_source.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>

#include "sim/virtual_board.h"

namespace quelnor::gui::analyzer {
namespace {

// What a run reported.
struct Result {
  int points_seen = 0;
  int total_seen = 0;
  analysis::Spectrum spectrum;
  std::string failure;
};

// Collects what the source reports and lets the test wait (bounded) for the end.
class RecordingSink final : public MeasurementSink {
 public:
  int stop_after = -1;  // calls source->stop() after this many points
  EngineSource* source = nullptr;

  void point(const analysis::SpectrumPoint&, int index, int total) override {
    const std::lock_guard lock(mutex_);
    result.points_seen = index + 1;
    result.total_seen = total;
    if (stop_after >= 0 && result.points_seen == stop_after) source->stop();
  }
  void finished(const analysis::Spectrum& s) override { end(s, ""); }
  void failed(const std::string& message) override { end({}, message); }

  bool wait_end() {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, std::chrono::seconds(60), [this] { return done; });
  }

  bool done = false;
  Result result;

 private:
  void end(const analysis::Spectrum& s, const std::string& message) {
    const std::lock_guard lock(mutex_);
    result.spectrum = s;
    result.failure = message;
    done = true;
    ended_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable ended_;
};

// The virtual board, loaded with the firmware image beside the test program.
std::unique_ptr<cli::OpenedBoard> open_virtual_board() {
  cli::BoardRequest request;
  request.executable_dir = cli::program_dir();
  return std::make_unique<cli::OpenedBoard>(request);
}

SweepPlan small_plan() {
  SweepPlan plan;
  plan.start_hz = 1e3;
  plan.stop_hz = 100e3;
  plan.points = 11;
  plan.logarithmic = true;
  plan.feedback_ohm = 100e3;
  return plan;
}

std::string metadata(const analysis::Spectrum& s, const std::string& key) {
  for (const auto& [k, v] : s.metadata)
    if (k == key) return v;
  return {};
}

class EngineSourceTest : public ::testing::Test {
 protected:
  EngineSourceTest()
      : source([] {
          ++opened;
          return open_virtual_board();
        }) {}

  Result calibrate(double reference_ohm) {
    RecordingSink sink;
    source.virtual_board()->set_dut("R" + std::to_string(reference_ohm));
    source.take_calibration(small_plan(), reference_ohm, sink);
    EXPECT_TRUE(sink.wait_end());
    source.wait();
    return sink.result;
  }
  Result measure(const SweepPlan& plan, int stop_after = -1) {
    RecordingSink sink;
    sink.source = &source;
    sink.stop_after = stop_after;
    source.start(plan, sink);
    EXPECT_TRUE(sink.wait_end());
    source.wait();
    return sink.result;
  }

  static inline int opened = 0;
  EngineSource source;
  QTemporaryDir dir;
};

TEST(EnginePlanTest, SettlingBeyondTheChipsCountUsesTheMultiplier) {
  struct Case {
    int cycles, expected_cycles, expected_multiplier;
  };
  for (const Case c : {Case{15, 15, 1}, Case{511, 511, 1}, Case{512, 256, 2}, Case{1023, 256, 4},
                       Case{1100, 275, 4}, Case{2044, 511, 4}}) {
    SweepPlan plan = small_plan();
    plan.settling_cycles = c.cycles;
    const instrument::SweepSegment s = engine_plan(plan).segments.at(0);
    EXPECT_EQ(s.settling_cycles, c.expected_cycles) << c.cycles;
    EXPECT_EQ(s.settling_multiplier, c.expected_multiplier) << c.cycles;
    EXPECT_GE(s.settling_cycles * s.settling_multiplier, c.cycles);
  }
  SweepPlan plan = small_plan();
  plan.range = 3;
  plan.pga = 5;
  plan.logarithmic = false;
  const instrument::SweepSegment s = engine_plan(plan).segments.at(0);
  EXPECT_EQ(s.range, 3);
  EXPECT_EQ(s.pga, 5);
  EXPECT_EQ(s.spacing, instrument::Spacing::linear);
  EXPECT_EQ(s.points, 11);
}

TEST_F(EngineSourceTest, FourReferencesCalibrateEveryCombinationAndCorrectTheMeasurement) {
  EXPECT_FALSE(source.calibration().present);
  EXPECT_FALSE(source.calibration_warnings(small_plan(), 0).empty());
  Result first = calibrate(15e3);
  ASSERT_EQ(first.failure, "");
  EXPECT_EQ(first.total_seen, 11 * 8);
  EXPECT_EQ(first.points_seen, 11 * 8);
  const std::string kept = metadata(first.spectrum, "kept");
  const std::string skipped = metadata(first.spectrum, "skipped");
  EXPECT_NE(kept, "");
  // Every one of the eight combinations is either kept or skipped, one a line.
  EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n') + std::count(skipped.begin(), skipped.end(), '\n'), 6)
      << kept << "\n--\n" << skipped;
  EXPECT_EQ(metadata(first.spectrum, "reference"), "R15k");
  for (const double r : {100e3, 470e3, 2.2e6}) ASSERT_EQ(calibrate(r).failure, "") << r;

  const CalibrationInfo info = source.calibration();
  ASSERT_TRUE(info.present);
  EXPECT_NEAR(info.start_hz, 1e3, 0.1);
  EXPECT_NEAR(info.stop_hz, 100e3, 10.0);  // as the chip's frequency code rounds it
  EXPECT_EQ(info.points, 11);
  EXPECT_TRUE(info.logarithmic);
  for (const char* name : {"R15k", "R100k", "R470k", "R2.2M"})
    EXPECT_NE(info.references.find(name), std::string::npos) << info.references;
  EXPECT_NE(info.references.find("8 of 8"), std::string::npos) << info.references;
  EXPECT_EQ(source.calibration_warnings(small_plan(), info.taken_unix_s), std::vector<std::string>{});

  source.virtual_board()->set_dut("R10k");
  const Result run = measure(small_plan());
  ASSERT_EQ(run.failure, "");
  ASSERT_EQ(run.spectrum.points.size(), 11u);
  EXPECT_FALSE(run.spectrum.partial);
  EXPECT_EQ(metadata(run.spectrum, "source"), "virtual board");
  for (const analysis::SpectrumPoint& p : run.spectrum.points) {
    EXPECT_NEAR(std::abs(p.impedance_ohm), 10e3, 10e3 * 0.02) << p.frequency_hz;
    EXPECT_EQ(p.flags & analysis::point_flag::uncalibrated, 0u);
  }

  // Wider than the calibration: the engine's own warning, in plain words.
  SweepPlan wider = small_plan();
  wider.stop_hz = 200e3;
  const auto warnings = source.calibration_warnings(wider, info.taken_unix_s);
  ASSERT_FALSE(warnings.empty());
  EXPECT_NE(warnings.front().find("outside"), std::string::npos) << warnings.front();
}

TEST_F(EngineSourceTest, CalibratingWithAnotherPlanOrResistorStartsAFreshCalibration) {
  ASSERT_EQ(calibrate(100e3).failure, "");
  SweepPlan other = small_plan();
  other.points = 21;
  source.virtual_board()->set_dut("R470k");
  RecordingSink sink;
  source.take_calibration(other, 470e3, sink);
  ASSERT_TRUE(sink.wait_end());
  source.wait();
  EXPECT_EQ(sink.result.failure, "");
  ASSERT_EQ(sink.result.spectrum.warnings.size(), 1u);
  EXPECT_NE(sink.result.spectrum.warnings[0].find("starts a new one"), std::string::npos);
  CalibrationInfo info = source.calibration();
  EXPECT_EQ(info.points, 21);
  EXPECT_EQ(info.references.find("R100k"), std::string::npos) << info.references;

  // The same plan adds to it without a word.
  const Result same = [&] {
    source.virtual_board()->set_dut("R2.2M");
    RecordingSink s2;
    source.take_calibration(other, 2.2e6, s2);
    EXPECT_TRUE(s2.wait_end());
    source.wait();
    return s2.result;
  }();
  EXPECT_TRUE(same.spectrum.warnings.empty());
  info = source.calibration();
  EXPECT_NE(info.references.find("R470k"), std::string::npos) << info.references;
  EXPECT_NE(info.references.find("R2.2M"), std::string::npos) << info.references;

  // Another feedback resistor starts afresh too, but not with a reference it cannot measure.
  other.feedback_ohm = 10e3;
  for (const double reference : {2.2e6, 15e3}) {
    source.virtual_board()->set_dut(reference > 1e6 ? "R2.2M" : "R15k");
    RecordingSink s3;
    source.take_calibration(other, reference, s3);
    ASSERT_TRUE(s3.wait_end());
    source.wait();
    ASSERT_EQ(s3.result.spectrum.warnings.size(), 1u);
    const std::string expected = reference > 1e6 ? "previous calibration stays" : "starts a new one";
    EXPECT_NE(s3.result.spectrum.warnings[0].find(expected), std::string::npos) << s3.result.spectrum.warnings[0];
    const std::string resistor = reference > 1e6 ? "100 kOhm" : "10 kOhm";
    EXPECT_NE(source.calibration().settings.find(resistor), std::string::npos) << source.calibration().settings;
  }
}

TEST_F(EngineSourceTest, StopEndsTheRunBeforeTheNextPoint) {
  SweepPlan plan = small_plan();
  plan.points = 50;
  const Result run = measure(plan, 4);
  ASSERT_EQ(run.failure, "");
  EXPECT_TRUE(run.spectrum.partial);
  EXPECT_EQ(run.spectrum.points.size(), 4u);
  EXPECT_FALSE(source.running());

  RecordingSink cal;
  cal.source = &source;
  cal.stop_after = 2 * 11;  // after the second of eight combinations
  source.take_calibration(small_plan(), 100e3, cal);
  ASSERT_TRUE(cal.wait_end());
  source.wait();
  EXPECT_TRUE(cal.result.spectrum.partial);
  EXPECT_EQ(cal.result.points_seen, 2 * 11);
  EXPECT_FALSE(source.calibration().present) << "a stopped calibration adds nothing";
}

TEST_F(EngineSourceTest, ABoardThatStopsAnsweringFailsWithAMessageAndRecovers) {
  source.virtual_board()->fault("drop-request", {"all"});
  const Result run = measure(small_plan());
  EXPECT_NE(run.failure.find("Reconnect"), std::string::npos) << run.failure;
  EXPECT_FALSE(source.running());
  source.virtual_board()->fault("off", {"all"});
  const int opened_before = opened;
  source.reconnect();
  EXPECT_EQ(opened, opened_before) << "the virtual board stays; its faults are switched in its panel";
  EXPECT_EQ(measure(small_plan()).failure, "");
}

TEST_F(EngineSourceTest, APlanTheChipCannotRunFailsWithoutTouchingTheBoard) {
  SweepPlan plan = small_plan();
  plan.stop_hz = 5e6;
  const Result run = measure(plan);
  EXPECT_NE(run.failure.find("cannot run"), std::string::npos) << run.failure;
}

TEST_F(EngineSourceTest, CalibrationFilesRoundTripAndBadOnesAreRefused) {
  EXPECT_THROW(source.save_calibration(dir.filePath("none.json").toStdString()), std::runtime_error);
  ASSERT_EQ(calibrate(100e3).failure, "");
  const std::string path = dir.filePath("cal.json").toStdString();
  source.save_calibration(path);
  EXPECT_EQ(source.calibration().file, path);

  EngineSource other(open_virtual_board);
  other.load_calibration(path);
  const CalibrationInfo loaded = other.calibration();
  const CalibrationInfo saved = source.calibration();
  EXPECT_TRUE(loaded.present);
  EXPECT_EQ(loaded.points, saved.points);
  EXPECT_EQ(loaded.references, saved.references);
  EXPECT_EQ(loaded.taken_unix_s, saved.taken_unix_s);
  EXPECT_GT(loaded.taken_unix_s, 1700000000);

  const std::string bad = dir.filePath("bad.json").toStdString();
  std::ofstream(bad) << "{\"format\": \"something else\"}";
  EXPECT_THROW(other.load_calibration(bad), std::runtime_error);
  EXPECT_EQ(other.calibration().file, path) << "a refused file leaves the calibration in force";
}

}  // namespace
}  // namespace quelnor::gui::analyzer
