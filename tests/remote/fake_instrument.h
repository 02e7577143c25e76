// A test instrument behind the SCPI server's port: it computes the impedance of a circuit
// expression at each planned frequency, with a gain error until calibrated, and lets a test
// hold it point by point (a gate) or slow it down, so overlapped commands can be observed.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "remote/instrument_port.h"

namespace quelnor::remote::testing {

// The frequencies the fake measures for a plan: linear or logarithmic steps, or the
// segments in order.
std::vector<double> plan_frequencies(const SweepPlan& plan);

class FakeInstrument : public Instrument {
 public:
  // Uncalibrated readings are this much too large, so a test sees calibration matter.
  static constexpr double uncalibrated_gain_error = 1.25;

  FakeInstrument();

  // Gate: when on, every point waits for release() (or cancellation) before it is taken.
  void hold_points(bool on);
  void release(int points);
  // Without a gate, each point takes this long in real time (the server tests).
  void set_point_time(std::chrono::microseconds t) { point_time_ = t; }
  void set_simulated(bool on) { simulated_ = on; }
  void fail_self_test(std::string why) { self_test_failure_ = std::move(why); }

  // What the last run was asked for, and how often the chip was put in standby.
  SweepPlan last_plan() const;
  int runs() const { return runs_; }
  int standby_calls() const { return standby_calls_; }
  int points_taken() const { return points_taken_; }

  std::string identity() override { return "fake board"; }
  InstrumentLimits limits() override { return InstrumentLimits{}; }
  void calibrate(const SweepPlan& plan, const std::string& reference,
                 const CancelFlag& cancel) override;
  CalibrationState calibration_state(const SweepPlan& plan) override;
  void save_calibration(const std::filesystem::path& file) override;
  void load_calibration(const std::filesystem::path& file) override;
  analysis::Spectrum measure(const SweepPlan& plan, const CancelFlag& cancel) override;
  double temperature_c() override { return 27.25; }
  std::string self_test() override { return self_test_failure_; }
  void standby() override { ++standby_calls_; }
  bool simulated() override { return simulated_; }
  void set_dut(const std::string& expression) override;
  std::string dut() override { return dut_; }
  // Faults: "fail-at K" makes point K of the next runs throw; "off","all" clears.
  void set_fault(const std::string& name, const std::vector<std::string>& args) override;
  std::vector<std::string> active_faults() override;

 private:
  // Waits for the gate or the point time; false when cancelled meanwhile.
  bool take_point(const CancelFlag& cancel);

  mutable std::mutex mutex_;
  std::condition_variable gate_changed_;
  bool gated_ = false;
  int released_ = 0;
  std::chrono::microseconds point_time_{0};
  bool simulated_ = true;
  std::string self_test_failure_;
  std::string dut_ = "R200k";
  std::optional<std::string> calibrated_on_;
  std::optional<SweepPlan> calibrated_plan_;
  std::optional<int> fail_at_point_;
  SweepPlan last_plan_;
  std::atomic<int> runs_{0};
  std::atomic<int> standby_calls_{0};
  std::atomic<int> points_taken_{0};
};

}  // namespace quelnor::remote::testing
