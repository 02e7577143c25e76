// The one thing the analyzer window measures through. The analyzer's engine implements it
// for the virtual and the real board; DemoSource makes points from a circuit expression.
//
// Threads: start() and take_calibration() return at once and run on the source's own
// worker thread; the sink's calls come from that thread, in order, and end with exactly
// one finished() or failed(). stop() may be called from any thread and takes effect
// before the next point. Only one run at a time; wait() blocks until the run has ended.
#pragma once

#include <string>
#include <vector>

#include "analysis/spectrum.h"
#include "gui/analyzer/sweep_plan.h"

namespace quelnor::gui::analyzer {

// What the calibration in force was taken with; `present` false when there is none.
struct CalibrationInfo {
  bool present = false;
  double start_hz = 0.0;
  double stop_hz = 0.0;
  int points = 0;
  bool logarithmic = true;
  std::string settings;        // plan_settings_text of the plan it was taken with
  double reference_ohm = 0.0;  // the resistor it was taken against
  std::string references;      // when several: "R15k, R100k (8 of 8 range/PGA combinations)"
  long long taken_unix_s = 0;  // when, seconds since 1970 UTC
  double temperature_c = 0.0;  // die temperature when taken
  std::string file;            // where it was loaded from or saved to; empty if neither
};

class MeasurementSink {
 public:
  virtual ~MeasurementSink() = default;
  // One measured point; `index` counts from 0 within the run of `total` points.
  virtual void point(const analysis::SpectrumPoint& point, int index, int total) = 0;
  // The run ended: every point, or those before a stop (spectrum.partial).
  virtual void finished(const analysis::Spectrum& spectrum) = 0;
  // The board failed (unplugged, not answering); the message is for the operator.
  virtual void failed(const std::string& message) = 0;
};

class MeasurementSource {
 public:
  virtual ~MeasurementSource() = default;

  // A name for the window's title and the files' metadata ("virtual board", "USB 1-2").
  virtual std::string description() const = 0;

  virtual void start(const SweepPlan& plan, MeasurementSink& sink) = 0;
  // Measures the reference resistor over the plan and makes it the calibration in force.
  virtual void take_calibration(const SweepPlan& plan, double reference_ohm, MeasurementSink& sink) = 0;
  virtual void stop() = 0;
  virtual void wait() = 0;
  virtual bool running() const = 0;

  virtual CalibrationInfo calibration() const = 0;
  // Plain-word warnings when the calibration in force does not fit the plan; by default
  // those of calibration_check.
  virtual std::vector<std::string> calibration_warnings(const SweepPlan& plan, long long now_unix_s) const;
  // Both raise std::runtime_error with plain words when the file cannot be used.
  virtual void load_calibration(const std::string& path) = 0;
  virtual void save_calibration(const std::string& path) = 0;

  // Finds the board again after a failure; raises std::runtime_error when none answers.
  virtual void reconnect() = 0;
};

}  // namespace quelnor::gui::analyzer
