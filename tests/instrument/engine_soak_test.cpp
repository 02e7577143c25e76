// The engine's repeated runs on the virtual board with faults injected at random from a
// fixed seed: every run ends within its bound, every failure shows in Measurement::failure
// or in the row flags (a row without flags is right), and the board measures as on a fresh
// start afterwards. The number of runs is QUELNOR_ENGINE_SOAK_RUNS (10000 for the full
// run; a short run by default).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "circuit/circuit_expression.h"
#include "instrument/engine.h"
#include "instrument/engine_board.h"
#include "support/soak_size.h"

namespace quelnor::instrument {
namespace {

constexpr const char* dut = "R47k||C330p";  // its corner lies inside the plan: |Z| moves
constexpr int points_per_pass = 11;
constexpr double largest_error = 0.03;  // of |Z|, for a row without flags

SweepPlan soak_plan() {
  SweepSegment s;
  s.start_hz = 10e3;
  s.stop_hz = 20e3;
  s.points = points_per_pass;
  s.spacing = Spacing::linear;
  return {{s}};
}

// A fault and the point of the run where it is switched on (0: before the run).
struct ArmedFault {
  std::string name;
  std::vector<std::string> args;
  int after_rows = 0;
  bool must_fail = false;  // armed before the run, the run cannot end well
};

struct Soak {
  test::EngineBoard bench;
  SweepPlan plan = soak_plan();
  CalibrationSet calibration;
  circuit::CircuitExpression truth = circuit::CircuitExpression::parse(dut);
  std::mt19937 random{20261210};
  std::vector<std::string> problems;
  int run = 0;
  int failures = 0, flagged_rows = 0, cancelled = 0;

  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
  void problem(const std::string& what) {
    if (problems.size() < 20) problems.push_back("run " + std::to_string(run) + ": " + what);
  }

  ArmedFault random_fault(int rows) {
    ArmedFault f;
    f.after_rows = pick(0, 1) == 0 ? 0 : pick(1, rows - 1);
    switch (pick(0, 5)) {
      case 0:
        f = {"drop-request", {std::to_string(pick(1, 80))}, f.after_rows, false};
        break;
      case 1:
        f = {"data-never-valid", {}, f.after_rows, f.after_rows == 0};
        break;
      case 2:
        f = {"zero-data", {std::to_string(pick(0, points_per_pass - 1))}, f.after_rows, false};
        break;
      case 3:
        // Before the run only: switched on mid-sweep, the virtual chip would call complete a
        // point it has already passed, which no chip does.
        f = {"complete-early", {std::to_string(pick(1, points_per_pass - 1))}, 0, false};
        break;
      case 4:  // the status register reads back wrong: data never seen valid
        f = {"readback", {"8F"}, f.after_rows, f.after_rows == 0};
        break;
      default: {  // a register the engine writes reads back wrong: it never reads those
        static const char* const written[] = {"80", "81", "82", "84", "8A"};
        f = {"readback", {written[pick(0, 4)]}, f.after_rows, false};
        break;
      }
    }
    return f;
  }

  // Every row at its planned frequency and pass; a row without flags within largest_error.
  void check_rows(const Measurement& m, int passes) {
    const std::vector<PlannedPoint> planned = planned_points(plan);
    for (std::size_t k = 0; k < m.spectrum.points.size(); ++k) {
      const analysis::SpectrumPoint& p = m.spectrum.points[k];
      const PlannedPoint& expected = planned[k % planned.size()];
      if (p.frequency_hz != expected.frequency_hz) problem("a row at the wrong frequency");
      const int pass = passes == 1 ? 0 : static_cast<int>(k / planned.size()) + 1;
      if (p.pass != pass) problem("a row with the wrong pass");
      if (p.flags != 0) {
        ++flagged_rows;
        continue;
      }
      const std::complex<double> z = truth.impedance(p.frequency_hz);
      const double error = std::abs(p.impedance_ohm - z) / std::abs(z);
      if (!(error <= largest_error)) {
        problem("a row without flags is wrong by " + std::to_string(100.0 * error) + " % at " +
                std::to_string(p.frequency_hz) + " Hz, row " + std::to_string(k));
      }
    }
  }
};

TEST(EngineSoak, EveryFailureIsReportedAndEveryRunEndsWithinItsBound) {
  Soak t;
  ASSERT_TRUE(t.bench.ready);
  // Calibrated with the references the README names, so that a row without flags can be
  // held to the impedance connected.
  for (const char* reference : {"R15k", "R100k", "R470k", "R2.2M"}) {
    t.bench.board.set_dut(reference);
    const CalibrationOutcome o =
        calibrate(t.bench.access, t.plan, reference, all_combinations(), t.calibration);
    ASSERT_TRUE(o.failure.empty()) << o.failure;
  }
  t.bench.board.set_dut(dut);

  // A point may try every combination, each waiting its full bound for data that never
  // comes; and each pass reads the temperature.
  const double measurement_s = measurement_time_s(10e3, 15, 1, external_clock_default_hz);
  const double point_bound_s = 11.0 * measurement_s + 0.5 + 0.05;
  const double pass_bound_s =
      (points_per_pass * static_cast<double>(all_combinations().size()) + 1.0) * point_bound_s;

  const int runs = test::soak_size("QUELNOR_ENGINE_SOAK_RUNS", 2000);
  long warm_kib = -1;
  double longest_run_s = 0.0;
  for (t.run = 1; t.run <= runs; ++t.run) {
    if (t.run == std::max(1, std::min(100, runs / 10))) warm_kib = test::resident_kib();
    const int passes = t.pick(1, 3);
    const int rows = passes * points_per_pass;
    std::atomic<bool> cancel{false};
    const int cancel_after = t.pick(0, 9) == 0 ? t.pick(1, rows) : 0;
    std::optional<ArmedFault> fault;
    if (t.pick(0, 99) < 40) fault = t.random_fault(rows);
    if (fault && fault->after_rows == 0) t.bench.board.fault(fault->name, fault->args);

    RunControl control;
    control.passes = passes;
    control.cancel = &cancel;
    int seen = 0;
    control.on_point = [&](const analysis::SpectrumPoint&) {
      ++seen;
      if (fault && fault->after_rows == seen) t.bench.board.fault(fault->name, fault->args);
      if (seen == cancel_after) cancel = true;
    };
    const double started_s = t.bench.clock.elapsed();
    const Measurement m = measure(t.bench.access, t.plan, &t.calibration, control);
    const double took_s = t.bench.clock.elapsed() - started_s;
    t.bench.board.fault("off", {"all"});
    t.bench.trace.clear();  // the register trace is the test's, not the engine's, memory
    longest_run_s = std::max(longest_run_s, took_s);

    if (took_s > passes * pass_bound_s) t.problem("the run took " + std::to_string(took_s) + " s");
    const bool complete = static_cast<int>(m.spectrum.points.size()) == rows;
    if (!m.failure.empty()) {
      ++t.failures;
      if (!m.spectrum.partial) t.problem("a failed run is not marked partial");
      if (m.failure.find("Check the board") == std::string::npos &&
          m.failure.find("did not answer") == std::string::npos) {
        t.problem("an unclear failure: " + m.failure);
      }
    } else if (cancel_after > 0 && cancel_after < rows) {
      ++t.cancelled;
      if (!m.spectrum.partial || static_cast<int>(m.spectrum.points.size()) != cancel_after) {
        t.problem("a cancelled run kept the wrong rows");
      }
    } else if (!complete || m.spectrum.partial) {
      t.problem("a run without failure ended with " + std::to_string(m.spectrum.points.size()) +
                " of " + std::to_string(rows) + " rows");
    }
    if (fault && fault->must_fail && m.failure.empty() && cancel_after == 0) {
      t.problem("fault " + fault->name + " before the run went unreported");
    }
    t.check_rows(m, passes);
    if (!t.problems.empty() && fault) {
      std::string named = fault->name;
      for (const std::string& arg : fault->args) named += " " + arg;
      t.problems.front() +=
          " (fault " + named + " after row " + std::to_string(fault->after_rows) + ")";
    }
    ASSERT_TRUE(t.problems.empty()) << t.problems.front();
  }
  const long end_kib = test::resident_kib();

  EXPECT_GT(t.failures, 0);
  EXPECT_GT(t.flagged_rows, 0);

  // After it all, a plain run measures as on a fresh start: every row right, no flags.
  const Measurement after = measure(t.bench.access, t.plan, &t.calibration);
  EXPECT_TRUE(after.failure.empty()) << after.failure;
  ASSERT_EQ(after.spectrum.points.size(), static_cast<std::size_t>(points_per_pass));
  for (const analysis::SpectrumPoint& p : after.spectrum.points) EXPECT_EQ(p.flags, 0u);
  t.check_rows(after, 1);
  EXPECT_TRUE(t.problems.empty()) << t.problems.front();

  std::printf(
      "engine soak: %d runs, %d failures reported, %d cancelled, %d flagged rows; longest run "
      "%.3f s (virtual); resident memory %ld KiB after warm-up, %ld KiB at the end\n",
      runs, t.failures, t.cancelled, t.flagged_rows, longest_run_s, warm_kib, end_kib);
}

}  // namespace
}  // namespace quelnor::instrument
