// A long continuous sweep on the virtual board with faults injected at random from a fixed
// seed: every pass ends within its bound, every fault shows its box (or, for a sweep that
// completes early, its short plot), and the window goes on working after each. The number
// of passes is QUELNOR_SOAK_PASSES (10000 for the full run; a short run by default).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/form1.h"
#include "measure/data_valid_wait.h"
#include "model/strip_chart.h"
#include "sim/virtual_board.h"
#include "support/bin_dir.h"
#include "support/scripted_dialogs.h"
#include "support/soak_size.h"
#include "util/clock.h"
#include "util/event_pump.h"

namespace quelnor::app {
namespace {

constexpr const char* pass_failed_box = "Error completing Sweep:Check Values";
constexpr int points_per_pass = 21;  // 20 increments
// The texts of the three verifying writes when a register reads back another byte.
constexpr const char* readback_boxes[] = {
    "error:", "error",
    "Error:Invaid data write/readback sequence to part.check power connections: "};

// A fault armed for the coming pass and what the operator must see of it.
struct ArmedFault {
  std::string name;
  std::vector<std::string> args;
  enum class Shows { failed_pass, readback_boxes, short_plot } shows;
  std::string box_text;    // readback_boxes: the box the register's own write shows
  int plotted_points = 0;  // short_plot
};

// The servicing points and the plotted passes on one virtual time line, with the longest
// time between two of them (a pass always has a servicing before it).
struct Timeline final : util::EventPump {
  explicit Timeline(util::Clock& clock) : clock(clock) {}
  void mark() {
    const double now_s = clock.monotonic_seconds();
    longest_gap_s = std::max(longest_gap_s, now_s - last_s);
    last_s = now_s;
  }
  void service_pending_input() override { mark(); }
  util::Clock& clock;
  double last_s = 0;
  double longest_gap_s = 0;
};

struct PassChart final : model::RecordingStripChart {
  std::function<void(std::size_t points)> on_pass_plotted;
  void plot(int trace, const model::PointArray& points) override {
    RecordingStripChart::plot(trace, points);
    if (trace == 0 && on_pass_plotted) on_pass_plotted(points.size());
  }
};

struct Soak {
  util::VirtualClock clock;
  test::ScriptedDialogs dialogs;
  Timeline timeline{clock};
  PassChart strip1;
  model::RecordingStripChart strip2;
  Application app{[] {
                    ApplicationOptions options;
                    options.board = BoardKind::sim;
                    options.executable_dir = test::bin_dir();
                    return options;
                  }(),
                  {clock, dialogs, timeline, strip1, strip2}};
  std::mt19937 random{20261210};
  std::optional<ArmedFault> armed;
  std::vector<std::string> problems;  // what went wrong, with the pass number
  int target_passes = 0;
  int passes = 0;
  int faults_reported[3] = {};  // by ArmedFault::Shows

  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
  sim::VirtualBoard& board() { return *app.virtual_board(); }
  void problem(const std::string& what) {
    if (problems.size() < 20) problems.push_back("pass " + std::to_string(passes) + ": " + what);
  }

  ArmedFault random_fault() {
    switch (pick(0, 5)) {
      case 0:
        return {"zero-data",
                {std::to_string(pick(0, points_per_pass - 1))},
                ArmedFault::Shows::failed_pass,
                "",
                0};
      case 1:
        return {"data-never-valid", {}, ArmedFault::Shows::failed_pass, "", 0};
      case 2:
        return {
            "drop-request", {std::to_string(pick(1, 60))}, ArmedFault::Shows::failed_pass, "", 0};
      case 3: {
        const int k = pick(1, points_per_pass - 1);
        return {"complete-early", {std::to_string(k)}, ArmedFault::Shows::short_plot, "", k};
      }
      case 4:
        return {"readback", {"80"}, ArmedFault::Shows::readback_boxes, "error:", 0};
      default:
        return {"readback",
                {"89"},
                ArmedFault::Shows::readback_boxes,
                "Error:Invaid data write/readback sequence to part.check power connections: ",
                0};
    }
  }

  // What the operator saw since the fault (or no fault) was armed, as it should be.
  void check_reported(bool pass_plotted, std::size_t points) {
    const std::vector<std::string> boxes = dialogs.box_texts();
    dialogs.boxes.clear();
    if (!armed) {
      if (!boxes.empty()) problem("a box without a fault: " + boxes.front());
      if (pass_plotted && points != points_per_pass) problem("a pass plotted too few points");
      return;
    }
    const ArmedFault fault = *armed;
    armed.reset();
    board().fault("off", {"all"});
    bool reported = false;
    switch (fault.shows) {
      case ArmedFault::Shows::failed_pass:
        reported = !pass_plotted && boxes == std::vector<std::string>{pass_failed_box};
        break;
      case ArmedFault::Shows::readback_boxes:
        // The register may also be written through another of the verifying writes,
        // each with its own text; the one named must be among them.
        reported = pass_plotted &&
                   std::find(boxes.begin(), boxes.end(), fault.box_text) != boxes.end() &&
                   std::all_of(boxes.begin(), boxes.end(), [](const std::string& b) {
                     return std::find(std::begin(readback_boxes), std::end(readback_boxes), b) !=
                            std::end(readback_boxes);
                   });
        break;
      case ArmedFault::Shows::short_plot:
        reported = pass_plotted && boxes.empty() &&
                   points == static_cast<std::size_t>(fault.plotted_points);
        // Complete with the first point, the chip may say so before the sweep has read
        // any point: a pass with nothing measured fails with its box.
        if (fault.plotted_points == 1 && !pass_plotted) {
          reported = boxes == std::vector<std::string>{pass_failed_box};
        }
        break;
    }
    if (reported) {
      ++faults_reported[static_cast<int>(fault.shows)];
    } else {
      std::string shown;
      for (const std::string& box : boxes) shown += " \"" + box + "\"";
      std::string named = fault.name;
      for (const std::string& arg : fault.args) named += " " + arg;
      problem("fault " + named + " not reported as it should be; plotted " +
              std::to_string(pass_plotted) + ", boxes:" + shown);
    }
  }

  // At each plotted pass: check what the last fault did, then maybe arm the next one or
  // untick the box so the run ends after this pass.
  void on_pass_plotted(std::size_t points) {
    timeline.mark();
    ++passes;
    check_reported(true, points);
    if (passes >= target_passes) {
      app.actions().set_check("Continuous_sweep_text", false);
    } else if (pick(0, 99) < 25) {
      armed = random_fault();
      board().fault(armed->name, armed->args);
    } else if (pick(0, 99) < 3) {
      app.actions().set_check("Continuous_sweep_text", false);
    }
  }
};

TEST(ContinuousSoak, EveryFaultIsReportedAndEveryPassEndsWithinItsBound) {
  Soak t;
  t.target_passes = test::soak_size("QUELNOR_SOAK_PASSES", 2000);
  ASSERT_TRUE(t.app.start_up());
  t.app.load();
  OperatorActions& act = t.app.actions();
  ASSERT_EQ(act.type_text("Text3", std::to_string(points_per_pass - 1)), ActResult::done);
  ASSERT_EQ(act.click("Command2"), ActResult::done);
  ASSERT_EQ(act.click("Command6"), ActResult::done);
  t.dialogs.boxes.clear();
  t.strip1.on_pass_plotted = [&t](std::size_t points) { t.on_pass_plotted(points); };

  // A pass may wait its full bound at every point and for its temperature reading.
  const double start_hz = 30000.0;
  const double pass_bound_s = (points_per_pass + 1) * (measure::longest_settling_s(start_hz) +
                                                       measure::data_valid_timeout_s + 0.1);

  long warm_kib = -1;
  int runs = 0;
  while (t.passes < t.target_passes) {
    if (warm_kib < 0 && t.passes >= std::min(200, t.target_passes / 10))
      warm_kib = test::resident_kib();
    ASSERT_EQ(act.set_check("Continuous_sweep_text", true), ActResult::done);
    const int passes_before = t.passes;
    t.timeline.mark();
    ASSERT_EQ(act.click("Command1"), ActResult::done);
    t.timeline.mark();
    ++runs;
    // A run ends after a failing pass, or after the pass during which the box was unticked.
    if (t.armed) {
      ++t.passes;
      t.check_reported(false, 0);
    } else {
      t.check_reported(false, 0);
      if (t.passes == passes_before) t.problem("a run ended without a pass");
    }
    ASSERT_FALSE(t.app.form1().busy());
    ASSERT_TRUE(t.app.session().form.Command1.enabled);
    ASSERT_EQ(t.app.session().form.Continuous_sweep_text.caption, "Enable Continuous Sweep");
    ASSERT_TRUE(t.problems.empty()) << t.problems.front();
  }
  const long end_kib = test::resident_kib();

  EXPECT_LE(t.timeline.longest_gap_s, pass_bound_s);
  EXPECT_GT(t.faults_reported[0], 0);
  EXPECT_GT(t.faults_reported[1], 0);
  EXPECT_GT(t.faults_reported[2], 0);

  // After it all, a plain single sweep measures the 200 kOhm resistor as on a fresh start.
  ASSERT_EQ(act.set_check("Continuous_sweep_text", false), ActResult::done);
  t.strip1.on_pass_plotted = nullptr;
  ASSERT_EQ(act.click("Command1"), ActResult::done);
  EXPECT_EQ(t.dialogs.box_texts(), std::vector<std::string>{" sweep complete:   Press ok  "});
  ASSERT_EQ(t.strip1.trace(0).size(), static_cast<std::size_t>(points_per_pass));
  for (const auto& [frequency_hz, impedance_ohm] : t.strip1.trace(0)) {
    EXPECT_NEAR(impedance_ohm, 200e3, 2e3) << frequency_hz;
  }

  std::printf(
      "soak: %d passes in %d runs, faults reported: %d failed passes, %d read-back boxes, %d "
      "short sweeps; longest pass %.3f s of %.1f s allowed (virtual); resident memory %ld KiB "
      "after warm-up, %ld KiB at the end\n",
      t.passes, runs, t.faults_reported[0], t.faults_reported[1], t.faults_reported[2],
      t.timeline.longest_gap_s, pass_bound_s, warm_kib, end_kib);
}

}  // namespace
}  // namespace quelnor::app
