// The analyzer's measurement source on the real engine: the window's plan becomes an
// instrument plan, measured or calibrated by instrument::measure / calibrate on a worker
// thread over a virtual or USB board; the calibration in force is an instrument
// CalibrationSet, loaded and saved as the engine's JSON calibration file.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/opened_board.h"
#include "gui/analyzer/measurement_source.h"
#include "instrument/calibration.h"
#include "instrument/sweep_plan.h"

namespace quelnor::gui::analyzer {

// The engine's one-segment plan for the window's plan. Settling beyond the chip's 511
// cycles uses the x2 or x4 multiplier (rounding the count up).
instrument::SweepPlan engine_plan(const SweepPlan& plan);

// The window's account of an engine calibration set: span, points, settings, references,
// when and at what temperature (present false for an empty set).
CalibrationInfo calibration_info(const instrument::CalibrationSet& set);

class EngineSource final : public MeasurementSource {
 public:
  using BoardOpener = std::function<std::unique_ptr<cli::OpenedBoard>()>;

  // Opens the board at once (std::runtime_error with the reason when it cannot).
  explicit EngineSource(BoardOpener open_board);
  ~EngineSource() override;

  // The virtual board behind the source, for its panel; nullptr on a real board.
  sim::VirtualBoard* virtual_board();

  std::string description() const override;
  void start(const SweepPlan& plan, MeasurementSink& sink) override;
  // Measures the reference resistor with all eight range/PGA combinations and adds those
  // whose signal is usable to the calibration in force; finished() carries the outcome in
  // the metadata keys "kept" and "skipped", one combination a line. Its point() calls are progress only: one per
  // combination, carrying the combination.
  void take_calibration(const SweepPlan& plan, double reference_ohm, MeasurementSink& sink) override;
  void stop() override;
  void wait() override;
  bool running() const override { return running_; }
  CalibrationInfo calibration() const override;
  std::vector<std::string> calibration_warnings(const SweepPlan& plan, long long now_unix_s) const override;
  void load_calibration(const std::string& path) override;
  void save_calibration(const std::string& path) override;
  // A real board is opened afresh; the virtual board lives in this program and stays.
  void reconnect() override;

 private:
  void launch(std::function<void()> work);
  // The board stated for this plan: its feedback resistor (the virtual board is fitted
  // with the one the plan states).
  instrument::BoardAccess& board_for(const SweepPlan& plan);
  void run_measure(const SweepPlan& plan, MeasurementSink& sink);
  void run_calibrate(const SweepPlan& plan, double reference_ohm, MeasurementSink& sink);

  BoardOpener open_board_;
  std::unique_ptr<cli::OpenedBoard> board_;  // replaced only by reconnect(), never during a run
  mutable std::mutex mutex_;                 // guards calibration_ and calibration_file_
  instrument::CalibrationSet calibration_;
  std::string calibration_file_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> running_{false};
  std::thread worker_;
};

}  // namespace quelnor::gui::analyzer
