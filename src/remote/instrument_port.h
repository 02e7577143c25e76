// The narrow port through which the SCPI server drives the analyzer's engine: plain
// settings structs in, spectra and states out. The server calls it from one thread at a
// time; calibrate() and measure() block and run on the server's worker thread, checking
// the cancel flag between two points, and nothing else is called while they run.
// Errors: std::invalid_argument for a value the engine refuses, any other std::exception
// for a failure, with a message in plain words.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/spectrum.h"

namespace quelnor::remote {

enum class Spacing { linear, logarithmic };

struct SweepSegment {
  double start_hz = 0.0;
  double stop_hz = 0.0;
  int points = 0;
  Spacing spacing = Spacing::linear;

  friend bool operator==(const SweepSegment&, const SweepSegment&) = default;
};

struct SweepPlan {
  double start_hz = 1000.0;
  double stop_hz = 100000.0;
  int points = 100;
  Spacing spacing = Spacing::linear;
  // When not empty, the sweep is these segments in order and the four fields above are
  // not used.
  std::vector<SweepSegment> segments;
  int range = 0;  // excitation range 1..4; 0 lets the engine choose per point
  int pga = 0;    // PGA gain 1 or 5; 0 lets the engine choose per point
  int settling_cycles = 15;
  double feedback_resistor_ohm = 200e3;

  friend bool operator==(const SweepPlan&, const SweepPlan&) = default;
};

// What the engine accepts, and the plan after a reset.
struct InstrumentLimits {
  double min_frequency_hz = 1.0;
  double max_frequency_hz = 100e3;
  int max_points = 10000;
  int max_settling_cycles = 2044;
  double min_feedback_resistor_ohm = 100.0;
  double max_feedback_resistor_ohm = 10e6;
  SweepPlan defaults;
};

struct CalibrationState {
  bool valid = false;                 // a calibration covers the current plan's settings
  std::string reference;              // the circuit it was taken on, empty when none
  std::vector<std::string> warnings;  // plain words, e.g. a plan outside its span
};

using CancelFlag = std::atomic<bool>;

class Instrument {
 public:
  virtual ~Instrument() = default;

  // The board's identity for *IDN? (a serial number, a USB port path or "virtual").
  virtual std::string identity() = 0;
  virtual InstrumentLimits limits() = 0;

  // Takes a calibration over plan's frequencies and settings on the reference circuit
  // (a circuit expression such as "R200k") and makes it the current one.
  virtual void calibrate(const SweepPlan& plan, const std::string& reference,
                         const CancelFlag& cancel) = 0;
  virtual CalibrationState calibration_state(const SweepPlan& plan) = 0;
  virtual void save_calibration(const std::filesystem::path& file) = 0;
  virtual void load_calibration(const std::filesystem::path& file) = 0;

  // One run over plan. When cancelled, returns the points measured so far, marked partial.
  virtual analysis::Spectrum measure(const SweepPlan& plan, const CancelFlag& cancel) = 0;

  virtual double temperature_c() = 0;
  // Empty when the board passes its self-test, else what failed.
  virtual std::string self_test() = 0;
  // Puts the chip in standby; called when a client leaves or a run ends badly.
  virtual void standby() = 0;

  // The virtual board only: the impedance under test and injected faults. Real boards
  // raise std::logic_error.
  virtual bool simulated() = 0;
  virtual void set_dut(const std::string& expression) = 0;
  virtual std::string dut() = 0;
  virtual void set_fault(const std::string& name, const std::vector<std::string>& args) = 0;
  virtual std::vector<std::string> active_faults() = 0;
};

}  // namespace quelnor::remote
