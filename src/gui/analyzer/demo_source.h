// A measurement source for tests and the demo program: the impedance of a circuit
// expression at each planned frequency, measured on a worker thread with an optional
// real-time pause per point. No board, no noise; a calibration is only a record of how it
// was taken, kept in a JSON file. A failure can be switched on to exercise error paths.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "gui/analyzer/circuit_model.h"
#include "gui/analyzer/measurement_source.h"

namespace quelnor::gui::analyzer {

class DemoSource final : public MeasurementSource {
 public:
  explicit DemoSource(const std::string& circuit, std::chrono::microseconds pause_per_point = {});
  ~DemoSource() override;

  // The device under test from now on (std::invalid_argument on a malformed expression).
  void set_circuit(const std::string& circuit);
  // After `points` more points every run fails as an unplugged board does, until
  // reconnect(); a negative count switches the failure off.
  void fail_after(int points);
  // The pause per point, for slow real-time sweeps.
  void set_pause(std::chrono::microseconds pause) { pause_us_ = pause.count(); }

  std::string description() const override;
  void start(const SweepPlan& plan, MeasurementSink& sink) override;
  void take_calibration(const SweepPlan& plan, double reference_ohm, MeasurementSink& sink) override;
  void stop() override;
  void wait() override;
  bool running() const override { return running_; }
  CalibrationInfo calibration() const override;
  void load_calibration(const std::string& path) override;
  void save_calibration(const std::string& path) override;
  void reconnect() override;

 private:
  void run(const SweepPlan& plan, ImpedanceFunction dut, MeasurementSink& sink, bool calibrating,
           double reference_ohm);

  mutable std::mutex mutex_;  // guards circuit_, dut_, calibration_, fail_countdown_
  std::string circuit_;
  ImpedanceFunction dut_;
  CalibrationInfo calibration_;
  int fail_countdown_ = -1;
  bool unplugged_ = false;
  std::atomic<long long> pause_us_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> running_{false};
  std::thread worker_;
};

}  // namespace quelnor::gui::analyzer
