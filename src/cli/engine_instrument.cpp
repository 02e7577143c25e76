// The SCPI server's instrument on the measurement engine.
#include "cli/engine_instrument.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "converter/register_map.h"
#include "instrument/calibration_file.h"
#include "instrument/chip_driver.h"
#include "instrument/engine.h"
#include "instrument/reference_impedance.h"
#include "sim/virtual_board.h"

namespace quelnor::cli {
namespace {

constexpr int max_chip_settling_cycles = 511;
// The chip's die sensor works from -40 to +125 degrees C; a reading outside is a fault.
constexpr double lowest_die_temperature_c = -40.0;
constexpr double highest_die_temperature_c = 125.0;

instrument::Spacing engine_spacing(remote::Spacing spacing) {
  return spacing == remote::Spacing::linear ? instrument::Spacing::linear
                                            : instrument::Spacing::logarithmic;
}

instrument::SweepSegment engine_segment(const remote::SweepPlan& plan, double start_hz,
                                        double stop_hz, int points, remote::Spacing spacing) {
  instrument::SweepSegment segment;
  segment.start_hz = start_hz;
  segment.stop_hz = stop_hz;
  segment.points = points;
  segment.spacing = engine_spacing(spacing);
  segment.range = plan.range;  // 0 is the engine's auto_select too
  segment.pga = plan.pga;
  segment.settling_multiplier = 1;
  while (segment.settling_multiplier < 4 &&
         plan.settling_cycles > max_chip_settling_cycles * segment.settling_multiplier) {
    segment.settling_multiplier *= 2;
  }
  segment.settling_cycles =
      (plan.settling_cycles + segment.settling_multiplier - 1) / segment.settling_multiplier;
  return segment;
}

// The combinations a calibration over the plan takes: the fixed range or gain, or all.
std::vector<instrument::Combination> plan_combinations(const remote::SweepPlan& plan) {
  std::vector<instrument::Combination> out;
  for (const instrument::Combination c : instrument::all_combinations()) {
    if ((plan.range == 0 || plan.range == c.range) && (plan.pga == 0 || plan.pga == c.pga))
      out.push_back(c);
  }
  return out;
}

// The references of a set, in the order they were first taken, e.g. "R15k, R100k".
std::string references_of(const instrument::CalibrationSet& set) {
  std::vector<std::string> names;
  for (const instrument::CalibrationEntry& entry : set.entries) {
    for (const instrument::ReferenceSweep& sweep : entry.references) {
      if (std::find(names.begin(), names.end(), sweep.reference) == names.end())
        names.push_back(sweep.reference);
    }
  }
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

instrument::SweepPlan engine_plan(const remote::SweepPlan& plan) {
  instrument::SweepPlan out;
  if (plan.segments.empty()) {
    out.segments.push_back(
        engine_segment(plan, plan.start_hz, plan.stop_hz, plan.points, plan.spacing));
  }
  for (const remote::SweepSegment& s : plan.segments) {
    out.segments.push_back(engine_segment(plan, s.start_hz, s.stop_hz, s.points, s.spacing));
  }
  return out;
}

EngineInstrument::EngineInstrument(std::unique_ptr<OpenedBoard> board)
    : board_(std::move(board)), identity_(board_->access().identity) {}

remote::InstrumentLimits EngineInstrument::limits() {
  remote::InstrumentLimits limits;
  limits.max_settling_cycles = max_chip_settling_cycles * 4;
  limits.defaults.feedback_resistor_ohm = board_->access().feedback_resistance_ohm;
  return limits;
}

void EngineInstrument::use_resistor(double ohm) {
  if (!(ohm > 0.0)) throw std::invalid_argument("the feedback resistor must be above 0 Ohm");
  if (sim::VirtualBoard* sim = board_->virtual_board()) sim->set_feedback_resistance(ohm);
  board_->access().feedback_resistance_ohm = ohm;
}

void EngineInstrument::calibrate(const remote::SweepPlan& plan, const std::string& reference,
                                 const remote::CancelFlag& cancel) {
  const instrument::SweepPlan engine = engine_plan(plan);
  instrument::validate_plan(engine);
  instrument::check_circuit(reference);
  use_resistor(plan.feedback_resistor_ohm);
  instrument::RunControl control;
  control.cancel = &cancel;
  const std::vector<instrument::Combination> combinations = plan_combinations(plan);

  // A reference adds to the calibration in force when it was taken with the same
  // frequencies, clock and resistor; otherwise it starts a new one.
  instrument::CalibrationSet set;
  bool fresh = !calibration_.has_value();
  instrument::CalibrationOutcome outcome;
  if (!fresh) {
    set = *calibration_;
    try {
      outcome = instrument::calibrate(board_->access(), engine, reference, combinations, set,
                                      control);
    } catch (const std::invalid_argument&) {
      fresh = true;
    }
  }
  if (fresh) {
    set = instrument::CalibrationSet{};
    outcome =
        instrument::calibrate(board_->access(), engine, reference, combinations, set, control);
  }
  if (!outcome.failure.empty()) throw std::runtime_error(outcome.failure);
  if (outcome.cancelled) return;  // the calibration in force stays
  if (outcome.kept.empty()) {
    throw std::runtime_error("no range/PGA combination had a usable signal with " + reference +
                             "; the calibration in force stays");
  }
  calibration_ = std::move(set);
  calibration_notes_.clear();
  for (const std::string& kept : outcome.kept) calibration_notes_.push_back("kept " + kept);
  for (const std::string& skipped : outcome.skipped)
    calibration_notes_.push_back("skipped " + skipped);
}

remote::CalibrationState EngineInstrument::calibration_state(const remote::SweepPlan& plan) {
  remote::CalibrationState state;
  if (!calibration_) return state;
  state.reference = references_of(*calibration_);
  try {
    state.warnings = instrument::calibration_mismatches(engine_plan(plan), *calibration_,
                                                        plan.feedback_resistor_ohm);
  } catch (const std::invalid_argument& e) {
    state.warnings.push_back(std::string("the plan cannot run: ") + e.what());
  }
  state.valid = state.warnings.empty();
  state.warnings.insert(state.warnings.end(), calibration_notes_.begin(),
                        calibration_notes_.end());
  return state;
}

void EngineInstrument::save_calibration(const std::filesystem::path& file) {
  if (!calibration_) throw std::runtime_error("no calibration to save; take one first");
  instrument::save_calibration(*calibration_, file.string());
}

void EngineInstrument::load_calibration(const std::filesystem::path& file) {
  calibration_ = instrument::load_calibration(file.string());
  calibration_notes_ = {"loaded from " + file.filename().string()};
}

analysis::Spectrum EngineInstrument::measure(const remote::SweepPlan& plan,
                                             const remote::CancelFlag& cancel) {
  const instrument::SweepPlan engine = engine_plan(plan);
  instrument::validate_plan(engine);
  use_resistor(plan.feedback_resistor_ohm);
  instrument::RunControl control;
  control.cancel = &cancel;
  instrument::Measurement run = instrument::measure(
      board_->access(), engine, calibration_ ? &*calibration_ : nullptr, control);
  if (!run.failure.empty()) throw std::runtime_error(run.failure);
  return std::move(run.spectrum);
}

double EngineInstrument::temperature_c() {
  instrument::ChipDriver chip(board_->access());
  return chip.read_temperature_c({1, 1});
}

std::string EngineInstrument::self_test() {
  try {
    const double celsius = temperature_c();
    if (!(celsius >= lowest_die_temperature_c && celsius <= highest_die_temperature_c)) {
      return "the die temperature reads " + std::to_string(celsius) +
             " degrees C, outside the sensor's -40 to +125";
    }
  } catch (const std::exception& e) {
    return std::string("the board does not answer: ") + e.what();
  }
  return {};
}

void EngineInstrument::standby() {
  instrument::ChipDriver chip(board_->access());
  chip.command(converter::command::standby, {1, 1});
}

sim::VirtualBoard& EngineInstrument::virtual_board() {
  sim::VirtualBoard* sim = board_->virtual_board();
  if (sim == nullptr) throw std::logic_error("only the virtual board (--board sim) simulates");
  return *sim;
}

void EngineInstrument::set_dut(const std::string& expression) {
  virtual_board().set_dut(expression);
}

std::string EngineInstrument::dut() {
  return virtual_board().dut();
}

void EngineInstrument::set_fault(const std::string& name, const std::vector<std::string>& args) {
  virtual_board().fault(name, args);
}

std::vector<std::string> EngineInstrument::active_faults() {
  return virtual_board().active_faults();
}

std::unique_ptr<remote::Instrument> open_engine_instrument(const std::string& board,
                                                           std::string& error) {
  try {
    BoardRequest request = board_request(board);
    request.executable_dir = program_dir();
    return std::make_unique<EngineInstrument>(std::make_unique<OpenedBoard>(request));
  } catch (const std::exception& e) {
    error = e.what();
    return nullptr;
  }
}

}  // namespace quelnor::cli
