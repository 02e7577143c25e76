// The analyzer's engine: runs a sweep plan on a board and returns a spectrum, optionally
// corrected by a calibration set; or measures a known reference to add to a calibration
// set. Callable from a worker thread: everything it uses is passed in, and it checks the
// cancel flag between any two points.
//
// How the chip is driven. A run starts with the chip in standby. Equally spaced points of a
// segment are one chip sweep (start code, increment code and count programmed once, then
// initialise, start sweep and per point one increment command), at most 512 points per chip
// sweep. Points that are not equally spaced (logarithmic segments, and the first point of
// every segment) are each a one-point sweep: the start-code bytes that changed are written,
// then initialise and start sweep. This uses only the chip's documented start sequence,
// never a register change in the middle of a running sweep, so nothing depends on when the
// real chip latches its frequency registers: initialise loads the synthesiser with the new
// start code, and the start command's settling cycles let the circuit settle at the new
// frequency before the DFT samples it. Only the step from standby needs a pause after
// initialise (the output stage powering up); later steps leave the excitation running.
// Every measurement waits for the chip's own measurement time (settling plus DFT), then one
// status read normally finds the data valid, followed by four data reads.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "analysis/spectrum.h"
#include "instrument/board_access.h"
#include "instrument/calibration.h"
#include "instrument/chip_driver.h"
#include "instrument/sweep_plan.h"

namespace quelnor::instrument {

struct RunControl {
  int passes = 1;  // repeated runs: the plan this many times; 0 = until cancelled
  const std::atomic<bool>* cancel = nullptr;  // set by another thread to stop between points
  // Called after every row, on the engine's thread.
  std::function<void(const analysis::SpectrumPoint&)> on_point;
};

struct Measurement {
  analysis::Spectrum spectrum;  // rows measured, metadata, warnings; partial when cut short
  std::string failure;          // empty unless the board failed during the run
  std::int64_t requests = 0;    // register requests made
};

// Runs the plan (PlanError before any request when it cannot run). With a calibration,
// auto-ranging chooses among the combinations it covers, and mismatches become warnings
// and row flags; without one, rows carry the nominal chain's values, flagged uncalibrated.
Measurement measure(BoardAccess& board, const SweepPlan& plan, const CalibrationSet* calibration,
                    const RunControl& control = {});

// The warnings a run of the plan with this calibration will give about the calibration
// (resistor, clock, combinations without an entry, frequencies outside its span), found
// before any request, so the caller can decide whether to go on. The die temperature's
// warning needs the board and comes with the run only.
std::vector<std::string> calibration_mismatches(const SweepPlan& plan, const CalibrationSet& set,
                                                double feedback_resistance_ohm);

struct CalibrationOutcome {
  std::vector<std::string> kept;     // combinations added or updated, e.g. "range 1 pga x5"
  std::vector<std::string> skipped;  // combinations left out, each with the reason
  std::string failure;               // the board failed; nothing was added
  bool cancelled = false;            // nothing was added
  std::int64_t requests = 0;
};

// Measures the reference (a circuit expression) over the plan with each combination and
// adds it to `set` (a fresh set takes the plan's clock and settling and the board's
// resistor). Combinations whose signal leaves the usable window are skipped with the
// reason. Raises PlanError / std::invalid_argument before any request when the plan,
// the reference or a mismatch with the set's frequencies, clock or resistor forbid it.
CalibrationOutcome calibrate(BoardAccess& board, const SweepPlan& plan,
                             const std::string& reference,
                             const std::vector<Combination>& combinations, CalibrationSet& set,
                             const RunControl& control = {});

// All eight range/PGA combinations.
std::vector<Combination> all_combinations();

// Current UTC time as ISO 8601, e.g. 2026-12-10T14:41:23Z.
std::string utc_timestamp();

}  // namespace quelnor::instrument
