// The SCPI server's test instrument.
#include "remote/fake_instrument.h"

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "circuit/circuit_expression.h"

namespace quelnor::remote::testing {

namespace {

void append_steps(std::vector<double>& out, double start, double stop, int points,
                  Spacing spacing) {
  for (int i = 0; i < points; ++i) {
    const double t = points == 1 ? 0.0 : static_cast<double>(i) / (points - 1);
    out.push_back(spacing == Spacing::linear ? start + t * (stop - start)
                                             : start * std::pow(stop / start, t));
  }
}

}  // namespace

std::vector<double> plan_frequencies(const SweepPlan& plan) {
  std::vector<double> out;
  if (plan.segments.empty()) {
    append_steps(out, plan.start_hz, plan.stop_hz, plan.points, plan.spacing);
  }
  for (const SweepSegment& s : plan.segments)
    append_steps(out, s.start_hz, s.stop_hz, s.points, s.spacing);
  return out;
}

FakeInstrument::FakeInstrument() = default;

void FakeInstrument::hold_points(bool on) {
  std::lock_guard lock(mutex_);
  gated_ = on;
  gate_changed_.notify_all();
}

void FakeInstrument::release(int points) {
  std::lock_guard lock(mutex_);
  released_ += points;
  gate_changed_.notify_all();
}

SweepPlan FakeInstrument::last_plan() const {
  std::lock_guard lock(mutex_);
  return last_plan_;
}

bool FakeInstrument::take_point(const CancelFlag& cancel) {
  if (cancel) return false;
  std::unique_lock lock(mutex_);
  if (gated_) {
    // Polls the cancel flag too: nobody notifies the gate when a run is aborted.
    while (released_ == 0 && gated_ && !cancel) {
      gate_changed_.wait_for(lock, std::chrono::milliseconds(2));
    }
    if (cancel) return false;
    if (released_ > 0) --released_;
  } else if (point_time_.count() > 0) {
    lock.unlock();
    std::this_thread::sleep_for(point_time_);
  }
  return !cancel;
}

void FakeInstrument::calibrate(const SweepPlan& plan, const std::string& reference,
                               const CancelFlag& cancel) {
  circuit::CircuitExpression::parse(reference);  // a malformed reference fails the calibration
  for (std::size_t i = 0; i < plan_frequencies(plan).size(); ++i) {
    if (!take_point(cancel)) return;  // a cancelled calibration keeps the previous one
  }
  std::lock_guard lock(mutex_);
  calibrated_on_ = reference;
  calibrated_plan_ = plan;
}

CalibrationState FakeInstrument::calibration_state(const SweepPlan& plan) {
  std::lock_guard lock(mutex_);
  CalibrationState state;
  if (!calibrated_on_) return state;
  state.reference = *calibrated_on_;
  state.valid = true;
  if (plan_frequencies(plan) != plan_frequencies(*calibrated_plan_)) {
    state.warnings.push_back("the plan's frequencies differ from the calibration's");
  }
  return state;
}

void FakeInstrument::save_calibration(const std::filesystem::path& file) {
  std::lock_guard lock(mutex_);
  if (!calibrated_on_) throw std::runtime_error("no calibration to save");
  std::ofstream out(file);
  out << *calibrated_on_ << '\n';
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

void FakeInstrument::load_calibration(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string reference;
  if (!std::getline(in, reference) || reference.empty()) {
    throw std::runtime_error(file.filename().string() + " is not a calibration");
  }
  std::lock_guard lock(mutex_);
  calibrated_on_ = reference;
  calibrated_plan_ = last_plan_;
}

analysis::Spectrum FakeInstrument::measure(const SweepPlan& plan, const CancelFlag& cancel) {
  std::optional<int> fail_at;
  bool calibrated = false;
  std::string dut;
  {
    std::lock_guard lock(mutex_);
    last_plan_ = plan;
    fail_at = fail_at_point_;
    calibrated = calibrated_on_.has_value();
    dut = dut_;
  }
  ++runs_;
  const auto circuit = circuit::CircuitExpression::parse(dut);
  analysis::Spectrum spectrum;
  const std::vector<double> frequencies = plan_frequencies(plan);
  for (std::size_t i = 0; i < frequencies.size(); ++i) {
    if (!take_point(cancel)) {
      spectrum.partial = true;
      return spectrum;
    }
    if (fail_at && static_cast<int>(i) == *fail_at) {
      throw std::runtime_error("data never became valid at point " + std::to_string(i));
    }
    analysis::SpectrumPoint point;
    point.frequency_hz = frequencies[i];
    point.impedance_ohm = circuit.impedance(frequencies[i]);
    if (!calibrated) {
      point.impedance_ohm *= uncalibrated_gain_error;
      point.flags |= analysis::point_flag::uncalibrated;
    }
    point.range = plan.range == 0 ? 1 : plan.range;
    point.pga = plan.pga == 0 ? 1 : plan.pga;
    spectrum.points.push_back(point);
    ++points_taken_;
  }
  return spectrum;
}

void FakeInstrument::set_dut(const std::string& expression) {
  circuit::CircuitExpression::parse(expression);  // raises std::invalid_argument when malformed
  std::lock_guard lock(mutex_);
  dut_ = expression;
}

void FakeInstrument::set_fault(const std::string& name, const std::vector<std::string>& args) {
  std::lock_guard lock(mutex_);
  if (name == "off") {
    fail_at_point_.reset();
  } else if (name == "fail-at" && args.size() == 1) {
    fail_at_point_ = std::stoi(args[0]);
  } else {
    throw std::invalid_argument("unknown fault '" + name + "'");
  }
}

std::vector<std::string> FakeInstrument::active_faults() {
  std::lock_guard lock(mutex_);
  if (!fail_at_point_) return {};
  return {"fail-at " + std::to_string(*fail_at_point_)};
}

}  // namespace quelnor::remote::testing
