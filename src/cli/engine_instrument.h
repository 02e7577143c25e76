// The SCPI server's instrument on the measurement engine: the server's plan turned into the
// engine's, calibrations taken, kept, saved and loaded, runs with the calibration in force,
// and the virtual board's DUT and faults.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/opened_board.h"
#include "instrument/calibration.h"
#include "instrument/sweep_plan.h"
#include "remote/instrument_port.h"

namespace quelnor::cli {

// The engine's plan for the server's: one segment per server segment (or one for the plain
// start/stop/points), with the plan's range, gain and settling. Settling cycles above the
// chip's 511 use its multiplier of 2 or 4, rounding the cycles up.
instrument::SweepPlan engine_plan(const remote::SweepPlan& plan);

class EngineInstrument final : public remote::Instrument {
 public:
  explicit EngineInstrument(std::unique_ptr<OpenedBoard> board);

  std::string identity() override { return identity_; }
  remote::InstrumentLimits limits() override;
  void calibrate(const remote::SweepPlan& plan, const std::string& reference,
                 const remote::CancelFlag& cancel) override;
  remote::CalibrationState calibration_state(const remote::SweepPlan& plan) override;
  void save_calibration(const std::filesystem::path& file) override;
  void load_calibration(const std::filesystem::path& file) override;
  analysis::Spectrum measure(const remote::SweepPlan& plan,
                             const remote::CancelFlag& cancel) override;
  double temperature_c() override;
  std::string self_test() override;
  void standby() override;
  bool simulated() override { return board_->virtual_board() != nullptr; }
  void set_dut(const std::string& expression) override;
  std::string dut() override;
  void set_fault(const std::string& name, const std::vector<std::string>& args) override;
  std::vector<std::string> active_faults() override;

 private:
  // Fits the board to the plan's feedback resistor (the virtual board's is whatever the
  // plan says; a real board's is what the operator states).
  void use_resistor(double ohm);
  sim::VirtualBoard& virtual_board();

  std::unique_ptr<OpenedBoard> board_;
  const std::string identity_;  // read by *IDN? while a run is going on
  std::optional<instrument::CalibrationSet> calibration_;
  std::vector<std::string> calibration_notes_;  // what the latest calibration kept and skipped
};

// The server's instrument factory: "sim", "usb" or "usb:PATH" (see board_option.h).
std::unique_ptr<remote::Instrument> open_engine_instrument(const std::string& board,
                                                           std::string& error);

}  // namespace quelnor::cli
