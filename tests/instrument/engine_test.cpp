// The engine on the virtual board: the register traffic of linear and logarithmic plans,
// averaging, repeated passes, cancellation and failures, auto-ranging and the warnings and
// flags of a calibration that does not fit.
#include "instrument/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "instrument/engine_board.h"

namespace quelnor::instrument {
namespace {

using namespace analysis::point_flag;

SweepPlan plan_of(double start_hz, double stop_hz, int points, Spacing spacing, int range = 1,
                  int pga = 1) {
  SweepSegment s;
  s.start_hz = start_hz;
  s.stop_hz = stop_hz;
  s.points = points;
  s.spacing = spacing;
  s.range = range;
  s.pga = pga;
  return {{s}};
}

bool has_warning(const Measurement& m, const std::string& part) {
  return std::any_of(m.spectrum.warnings.begin(), m.spectrum.warnings.end(),
                     [&](const std::string& w) { return w.find(part) != std::string::npos; });
}

class Engine : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(bench.ready); }
  test::EngineBoard bench;
};

TEST_F(Engine, LinearPlanUsesTheChipIncrementAndOneStatusReadPerPoint) {
  const Measurement m = measure(bench.access, plan_of(10e3, 20e3, 100, Spacing::linear), nullptr);
  ASSERT_TRUE(m.failure.empty()) << m.failure;
  ASSERT_EQ(m.spectrum.points.size(), 100u);
  EXPECT_EQ(bench.count("W 80 11"), 1);   // initialise, range 1 gain x1
  EXPECT_EQ(bench.count("W 80 21"), 1);   // start sweep
  EXPECT_EQ(bench.count("W 80 31"), 99);  // increments
  EXPECT_EQ(bench.count("R 8F"), 101);    // one per point, one for the temperature
  EXPECT_EQ(bench.count("R 94"), 100);
  EXPECT_EQ(bench.trace.back(), "W 80 B1");  // left in standby
  EXPECT_EQ(static_cast<std::int64_t>(bench.trace.size()), m.requests);
  EXPECT_LE(static_cast<double>(m.requests) / 100.0, 6.2);
  for (std::size_t k = 1; k < m.spectrum.points.size(); ++k) {
    EXPECT_GT(m.spectrum.points[k].frequency_hz, m.spectrum.points[k - 1].frequency_hz);
  }
}

TEST_F(Engine, MoreThan512EquallySpacedPointsRestartTheChipSweep) {
  const Measurement m = measure(bench.access, plan_of(1e3, 11e3, 1000, Spacing::linear), nullptr);
  ASSERT_EQ(m.spectrum.points.size(), 1000u);
  EXPECT_EQ(bench.count("W 80 21"), 2);
  EXPECT_EQ(bench.count("W 80 31"), 998);
  // The second chip sweep starts exactly on the 513th point's code.
  EXPECT_NEAR(m.spectrum.points[512].frequency_hz - m.spectrum.points[511].frequency_hz,
              m.spectrum.points[1].frequency_hz - m.spectrum.points[0].frequency_hz, 1e-9);
}

TEST_F(Engine, LogarithmicPointsEachStartAFreshOnePointSweep) {
  const Measurement m =
      measure(bench.access, plan_of(1e3, 100e3, 50, Spacing::logarithmic), nullptr);
  ASSERT_EQ(m.spectrum.points.size(), 50u);
  EXPECT_EQ(bench.count("W 80 11"), 50);
  EXPECT_EQ(bench.count("W 80 21"), 50);
  EXPECT_EQ(bench.count("W 80 3"), 0);
  // Start-code bytes are written only when they change; the increment registers never.
  EXPECT_LT(bench.count("W 82"), 50);
  EXPECT_EQ(bench.count("W 85") + bench.count("W 88"), 0);
  EXPECT_LE(static_cast<double>(m.requests) / 50.0, 10.5);
}

TEST_F(Engine, RefusedPlanTouchesNothing) {
  EXPECT_THROW(measure(bench.access, plan_of(1e3, 1e6, 10, Spacing::linear), nullptr), PlanError);
  EXPECT_TRUE(bench.trace.empty());
}

TEST_F(Engine, AveragingRepeatsEachPointAndSaysSoInTheMetadata) {
  SweepPlan plan = plan_of(10e3, 20e3, 5, Spacing::linear);
  plan.segments[0].average = 4;
  const Measurement m = measure(bench.access, plan, nullptr);
  ASSERT_EQ(m.spectrum.points.size(), 5u);
  EXPECT_EQ(bench.count("W 80 41"), 15);
  EXPECT_NE(std::find(m.spectrum.metadata.begin(), m.spectrum.metadata.end(),
                      std::pair<std::string, std::string>{"average", "4"}),
            m.spectrum.metadata.end());
}

TEST_F(Engine, RepeatedPassesAreNumberedTimedAndEachReadsTheDieTemperature) {
  RunControl control;
  control.passes = 3;
  const Measurement m =
      measure(bench.access, plan_of(10e3, 20e3, 4, Spacing::linear), nullptr, control);
  ASSERT_EQ(m.spectrum.points.size(), 12u);
  EXPECT_EQ(bench.count("W 80 91"), 3);
  for (std::size_t k = 0; k < 12; ++k) {
    const analysis::SpectrumPoint& p = m.spectrum.points[k];
    EXPECT_EQ(p.pass, static_cast<int>(k / 4) + 1);
    EXPECT_GE(p.temperature_c, 25.0);
    EXPECT_LE(p.temperature_c, 30.0);
    if (k > 0) {
      EXPECT_GT(p.time_s, m.spectrum.points[k - 1].time_s);
    }
  }
  EXPECT_FALSE(m.spectrum.partial);
}

TEST_F(Engine, CancelBetweenPointsKeepsTheRowsAndLeavesTheChipInStandby) {
  std::atomic<bool> cancel{false};
  RunControl control;
  control.passes = 0;  // until stopped
  control.cancel = &cancel;
  int seen = 0;
  control.on_point = [&](const analysis::SpectrumPoint&) {
    if (++seen == 7) cancel = true;
  };
  const Measurement m =
      measure(bench.access, plan_of(1e3, 100e3, 5, Spacing::logarithmic), nullptr, control);
  EXPECT_EQ(m.spectrum.points.size(), 7u);
  EXPECT_TRUE(m.spectrum.partial);
  EXPECT_TRUE(m.failure.empty());
  EXPECT_EQ(m.spectrum.points[6].pass, 2);
  EXPECT_EQ(bench.trace.back(), "W 80 B1");
}

TEST_F(Engine, RunsOnAWorkerThreadAndStopsWhenAnotherThreadCancels) {
  std::atomic<bool> cancel{false};
  std::atomic<int> rows{0};
  RunControl control;
  control.passes = 0;
  control.cancel = &cancel;
  control.on_point = [&](const analysis::SpectrumPoint&) { ++rows; };
  Measurement m;
  std::thread worker([&] {
    m = measure(bench.access, plan_of(10e3, 20e3, 10, Spacing::linear), nullptr, control);
  });
  // The virtual board needs no real time; a bounded wait for the first rows is enough.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (rows.load() < 25 && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
  cancel = true;
  worker.join();
  EXPECT_GE(m.spectrum.points.size(), 25u);
  EXPECT_EQ(m.spectrum.points.size(), static_cast<std::size_t>(rows.load()));
  EXPECT_TRUE(m.spectrum.partial);
  EXPECT_EQ(bench.trace.back(), "W 80 B1");
}

TEST_F(Engine, BoardFailureMidRunKeepsTheRowsAndNamesTheFault) {
  struct Case {
    const char* fault;
    std::vector<std::string> args;
    const char* expected;
  };
  const Case cases[] = {{"data-never-valid", {}, "The chip gave no result at"},
                        {"drop-request", {"1"}, "The board did not answer"}};
  for (const Case& c : cases) {
    test::EngineBoard b;
    RunControl control;
    int seen = 0;
    control.on_point = [&](const analysis::SpectrumPoint&) {
      if (++seen == 3) b.board.fault(c.fault, c.args);
    };
    const Measurement m =
        measure(b.access, plan_of(10e3, 20e3, 10, Spacing::linear), nullptr, control);
    EXPECT_EQ(m.spectrum.points.size(), 3u) << c.fault;
    EXPECT_TRUE(m.spectrum.partial) << c.fault;
    EXPECT_NE(m.failure.find(c.expected), std::string::npos) << m.failure;
    EXPECT_LT(b.clock.elapsed(), 5.0) << "a chip that never answers ends the run in bounded time";
  }
}

// A chip that says its sweep is complete before the last increment holds its result: the
// points after it are programmed afresh, never given that point's result again.
TEST_F(Engine, ChipSweepThatEndsEarlyIsStartedAfreshAndSaysSo) {
  const SweepPlan plan = plan_of(10e3, 20e3, 11, Spacing::linear, 4, 1);
  test::EngineBoard clean(sim::VirtualBoardOptions{});
  clean.board.set_dut("R47k||C330p");
  const Measurement expected = measure(clean.access, plan, nullptr);
  test::EngineBoard b(sim::VirtualBoardOptions{});
  b.board.set_dut("R47k||C330p");
  b.board.fault("complete-early", {"4"});
  const Measurement m = measure(b.access, plan, nullptr);
  ASSERT_TRUE(m.failure.empty()) << m.failure;
  ASSERT_EQ(m.spectrum.points.size(), 11u);
  for (std::size_t k = 0; k < 11; ++k) {
    EXPECT_NEAR(std::abs(m.spectrum.points[k].impedance_ohm),
                std::abs(expected.spectrum.points[k].impedance_ohm),
                1e-3 * std::abs(expected.spectrum.points[k].impedance_ohm))
        << k;
  }
  EXPECT_EQ(b.count("W 80 2"), 3);  // start sweep: again at the 5th and the 9th point
  EXPECT_TRUE(has_warning(m, "ended a frequency sweep before its last point"));
}

TEST_F(Engine, AutoRangingWithoutCalibrationPicksTheLargestUnclippedSignalAndFlags) {
  struct Case {
    const char* dut;
    int range, pga;  // expected choice
    std::uint32_t flags;
    double ohm;  // what the nominal chain reads: the range's series resistance included
  };
  const Case cases[] = {
      {"R10k", 4, 1, uncalibrated, 10.6e3},
      {"R1M", 1, 5, uncalibrated, 1.0002e6},
      {"R1k", 4, 1, uncalibrated | clipped, 0},
      {"R200M", 1, 5, uncalibrated | low_signal, 0},
  };
  for (const Case& c : cases) {
    test::EngineBoard b;
    b.board.set_dut(c.dut);
    const Measurement m = measure(
        b.access, plan_of(10e3, 20e3, 3, Spacing::linear, auto_select, auto_select), nullptr);
    ASSERT_EQ(m.spectrum.points.size(), 3u);
    for (const analysis::SpectrumPoint& p : m.spectrum.points) {
      EXPECT_EQ(p.range, c.range) << c.dut;
      EXPECT_EQ(p.pga, c.pga) << c.dut;
      EXPECT_EQ(p.flags, c.flags) << c.dut;
    }
    // The nominal chain alone lands within a few percent of the loop's resistance.
    if (c.ohm > 0) {
      EXPECT_NEAR(std::abs(m.spectrum.points[0].impedance_ohm) / c.ohm, 1.0, 0.03) << c.dut;
    }
    EXPECT_TRUE(has_warning(m, "no calibration"));
  }
}

TEST_F(Engine, CalibrationThatDoesNotFitWarnsAndFlags) {
  CalibrationSet set;
  bench.board.set_dut("R47k");
  calibrate(bench.access, plan_of(10e3, 20e3, 5, Spacing::linear), "R47k", {{4, 1}}, set);
  bench.board.set_dut("R100k");
  calibrate(bench.access, plan_of(10e3, 20e3, 5, Spacing::linear), "R100k", {{4, 1}}, set);
  ASSERT_EQ(set.entries.size(), 1u);
  bench.board.set_dut("R20k");

  // Found before any request, with the same words the run gives.
  const auto mismatches = [&](const SweepPlan& plan) {
    return calibration_mismatches(plan, set, bench.access.feedback_resistance_ohm);
  };
  const std::size_t requests_before = bench.trace.size();
  EXPECT_EQ(mismatches(plan_of(5e3, 30e3, 6, Spacing::linear, 4, 1)),
            std::vector<std::string>{"the plan goes outside the calibrated frequencies of range 4 "
                                     "pga x1: those rows are extrapolated"});
  EXPECT_EQ(mismatches(plan_of(10e3, 20e3, 5, Spacing::linear, 3, 1)),
            std::vector<std::string>{"no calibration entry for range 3 pga x1 with this board's "
                                     "clock and feedback resistor: its rows are uncalibrated"});
  EXPECT_TRUE(
      mismatches(plan_of(10e3, 20e3, 5, Spacing::linear, auto_select, auto_select)).empty());
  EXPECT_EQ(bench.trace.size(), requests_before);

  const Measurement outside =
      measure(bench.access, plan_of(5e3, 30e3, 6, Spacing::linear, 4, 1), &set);
  EXPECT_TRUE(has_warning(outside, "outside the calibrated frequencies of range 4 pga x1"));
  EXPECT_EQ(outside.spectrum.points.front().flags, extrapolated);
  EXPECT_EQ(outside.spectrum.points[2].flags, 0u);  // 15 kHz lies inside
  EXPECT_NEAR(std::abs(outside.spectrum.points[2].impedance_ohm), 20e3, 100.0);

  const Measurement missing =
      measure(bench.access, plan_of(10e3, 20e3, 5, Spacing::linear, 3, 1), &set);
  EXPECT_TRUE(has_warning(missing, "no calibration entry for range 3 pga x1"));
  EXPECT_EQ(missing.spectrum.points.front().flags, uncalibrated);

  CalibrationSet warm = set;
  warm.temperature_c += 15.0;
  EXPECT_TRUE(
      has_warning(measure(bench.access, plan_of(10e3, 20e3, 2, Spacing::linear, 4, 1), &warm),
                  "more than 10 C"));

  bench.board.set_feedback_resistance(50e3);
  bench.access.feedback_resistance_ohm = 50e3;
  const Measurement other_rfb =
      measure(bench.access, plan_of(10e3, 20e3, 2, Spacing::linear, 4, 1), &set);
  EXPECT_TRUE(has_warning(other_rfb, "feedback resistor"));
  EXPECT_EQ(other_rfb.spectrum.points.front().flags & uncalibrated, uncalibrated);
}

TEST_F(Engine, CalibrationKeepsUsableCombinationsAndSaysWhyOthersWereSkipped) {
  CalibrationSet set;
  bench.board.set_dut("R100k");
  const CalibrationOutcome o = calibrate(bench.access, plan_of(1e3, 100e3, 5, Spacing::logarithmic),
                                         "R100k", all_combinations(), set);
  ASSERT_TRUE(o.failure.empty()) << o.failure;
  EXPECT_EQ(o.kept.size() + o.skipped.size(), 8u);
  EXPECT_EQ(set.entries.size(), o.kept.size());
  const auto skipped = [&](const std::string& part) {
    return std::any_of(o.skipped.begin(), o.skipped.end(),
                       [&](const std::string& s) { return s.find(part) != std::string::npos; });
  };
  EXPECT_TRUE(skipped("range 1 pga x5: the signal reaches"));  // 100k on the largest gain clips
  EXPECT_NE(o.kept.front().find("one reference so far"), std::string::npos);
  EXPECT_EQ(set.board, "virtual");
  EXPECT_EQ(set.feedback_resistance_ohm, 100e3);
  EXPECT_GE(set.temperature_c, 25.0);

  // Adding with another plan is refused before any request; the set stays as it was.
  const std::size_t requests = bench.trace.size();
  const CalibrationSet before = set;
  EXPECT_THROW(calibrate(bench.access, plan_of(1e3, 100e3, 6, Spacing::logarithmic), "R47k",
                         all_combinations(), set),
               std::invalid_argument);
  EXPECT_THROW(calibrate(bench.access, plan_of(1e3, 100e3, 5, Spacing::logarithmic), "R47k+",
                         all_combinations(), set),
               std::invalid_argument);
  EXPECT_EQ(bench.trace.size(), requests);
  EXPECT_EQ(set.entries.size(), before.entries.size());

  // A cancelled calibration adds nothing.
  std::atomic<bool> cancel{true};
  RunControl control;
  control.cancel = &cancel;
  EXPECT_TRUE(calibrate(bench.access, plan_of(1e3, 100e3, 5, Spacing::logarithmic), "R47k",
                        all_combinations(), set, control)
                  .cancelled);
  EXPECT_EQ(set.entries.front().references.size(), 1u);
}

}  // namespace
}  // namespace quelnor::instrument
