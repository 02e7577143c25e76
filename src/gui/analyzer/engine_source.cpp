// The engine-backed measurement source.
#include "gui/analyzer/engine_source.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <stdexcept>

#include "analysis/engineering_format.h"
#include "gui/analyzer/calibration_check.h"
#include "instrument/calibration_file.h"
#include "instrument/engine.h"
#include "sim/virtual_board.h"

namespace quelnor::gui::analyzer {
namespace {

constexpr int max_settling_cycles = 511;
constexpr const char* no_board_message = "No board is open: connect it and press Reconnect.";

long long unix_seconds(const std::string& iso_utc) {
  std::tm t{};
  if (iso_utc.size() < 19 ||
      std::sscanf(iso_utc.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                  &t.tm_min, &t.tm_sec) != 6) {
    return 0;
  }
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  return static_cast<long long>(timegm(&t));
}

// One item a line: the engine's reasons contain semicolons of their own.
std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : "\n") + item;
  return text;
}

// The reference resistor as a circuit expression with an SI prefix: "R15k", "R2.2M".
std::string resistor_expression(double ohm) {
  const char* prefix = "";
  double value = ohm;
  for (const char* p : {"k", "M", "G"}) {
    if (std::abs(value) < 1000.0) break;
    value /= 1000.0;
    prefix = p;
  }
  char text[40];
  std::snprintf(text, sizeof text, "R%.9g%s", value, prefix);
  return text;
}

}  // namespace

instrument::SweepPlan engine_plan(const SweepPlan& plan) {
  instrument::SweepSegment segment;
  segment.start_hz = plan.start_hz;
  segment.stop_hz = plan.stop_hz;
  segment.points = plan.points;
  segment.spacing = plan.logarithmic ? instrument::Spacing::logarithmic : instrument::Spacing::linear;
  segment.range = plan.range;
  segment.pga = plan.pga;
  segment.settling_multiplier = 1;
  for (const int multiplier : {1, 2, 4}) {
    segment.settling_multiplier = multiplier;
    if ((plan.settling_cycles + multiplier - 1) / multiplier <= max_settling_cycles) break;
  }
  segment.settling_cycles = (plan.settling_cycles + segment.settling_multiplier - 1) / segment.settling_multiplier;
  return instrument::SweepPlan{{segment}};
}

CalibrationInfo calibration_info(const instrument::CalibrationSet& set) {
  CalibrationInfo info;
  if (set.entries.empty() || set.entries.front().frequency_hz.empty()) return info;
  const std::vector<double>& f = set.entries.front().frequency_hz;
  info.present = true;
  info.start_hz = f.front();
  info.stop_hz = f.back();
  info.points = static_cast<int>(f.size());
  // Log spacing: the middle step's ratio equals the first step's, not its difference.
  info.logarithmic = f.size() > 2 && std::abs((f[1] - f[0]) - (f.back() - f[f.size() - 2])) > 0.01 * (f[1] - f[0] + 1.0);
  info.settings = "settling " + std::to_string(set.settling_cycles * set.settling_multiplier) + " cycles, feedback " +
                  analysis::engineering_text(set.feedback_resistance_ohm, "Ohm") + ", " +
                  instrument::clock_name(set.clock) + " clock";
  std::vector<std::string> references;
  for (const instrument::CalibrationEntry& entry : set.entries) {
    for (const instrument::ReferenceSweep& r : entry.references) {
      if (std::find(references.begin(), references.end(), r.reference) == references.end())
        references.push_back(r.reference);
    }
  }
  for (const std::string& r : references) info.references += (info.references.empty() ? "" : ", ") + r;
  info.references += " (" + std::to_string(set.entries.size()) + " of 8 range/PGA combinations)";
  info.taken_unix_s = unix_seconds(set.taken_at);
  info.temperature_c = set.temperature_c;
  return info;
}

EngineSource::EngineSource(BoardOpener open_board) : open_board_(std::move(open_board)), board_(open_board_()) {}

EngineSource::~EngineSource() {
  stop();
  wait();
}

sim::VirtualBoard* EngineSource::virtual_board() { return board_ ? board_->virtual_board() : nullptr; }

std::string EngineSource::description() const {
  if (!board_) return "no board";
  const std::string& identity = board_->access().identity;
  return identity == "virtual" ? "virtual board" : identity;
}

void EngineSource::launch(std::function<void()> work) {
  wait();
  cancel_ = false;
  running_ = true;
  worker_ = std::thread(std::move(work));
}

void EngineSource::start(const SweepPlan& plan, MeasurementSink& sink) {
  launch([this, plan, &sink] { run_measure(plan, sink); });
}

void EngineSource::take_calibration(const SweepPlan& plan, double reference_ohm, MeasurementSink& sink) {
  launch([this, plan, reference_ohm, &sink] { run_calibrate(plan, reference_ohm, sink); });
}

instrument::BoardAccess& EngineSource::board_for(const SweepPlan& plan) {
  instrument::BoardAccess& access = board_->access();
  access.feedback_resistance_ohm = plan.feedback_ohm;
  if (sim::VirtualBoard* board = board_->virtual_board()) board->set_feedback_resistance(plan.feedback_ohm);
  return access;
}

void EngineSource::run_measure(const SweepPlan& plan, MeasurementSink& sink) {
  if (!board_) {
    running_ = false;
    sink.failed(no_board_message);
    return;
  }
  instrument::Measurement m;
  try {
    const instrument::SweepPlan engine = engine_plan(plan);
    const int total = static_cast<int>(instrument::planned_points(engine).size());
    const instrument::CalibrationSet calibration = [this] {
      const std::lock_guard lock(mutex_);
      return calibration_;
    }();
    int index = 0;
    instrument::RunControl control;
    control.cancel = &cancel_;
    control.on_point = [&](const analysis::SpectrumPoint& p) { sink.point(p, index++, total); };
    m = instrument::measure(board_for(plan), engine, calibration.entries.empty() ? nullptr : &calibration, control);
  } catch (const std::exception& e) {
    running_ = false;
    sink.failed(std::string("The plan cannot run: ") + e.what());
    return;
  }
  running_ = false;
  if (!m.failure.empty()) {
    sink.failed("The board stopped answering (" + m.failure + "). Check the cable and press Reconnect.");
    return;
  }
  m.spectrum.metadata.insert(m.spectrum.metadata.begin(), {"source", description()});
  sink.finished(m.spectrum);
}

void EngineSource::run_calibrate(const SweepPlan& plan, double reference_ohm, MeasurementSink& sink) {
  if (!board_) {
    running_ = false;
    sink.failed(no_board_message);
    return;
  }
  const std::vector<instrument::Combination> combinations = instrument::all_combinations();
  instrument::CalibrationOutcome outcome;
  instrument::CalibrationSet updated;
  bool replaced = false;
  {
    const std::lock_guard lock(mutex_);
    updated = calibration_;
  }
  try {
    const instrument::SweepPlan engine = engine_plan(plan);
    const std::vector<instrument::PlannedPoint> points = instrument::planned_points(engine);
    const int per_pass = static_cast<int>(points.size());
    const int total = per_pass * static_cast<int>(combinations.size());
    instrument::BoardAccess& board = board_for(plan);
    instrument::RunControl control;
    control.cancel = &cancel_;
    // One combination at a time, so the progress moves and Stop is heard between them; the
    // set in force changes only when all are done.
    // A calibration in force that was taken with other frequencies, clock or resistor cannot
    // take this reference: the new one starts afresh and replaces it once it is complete.
    std::vector<double> frequencies;
    for (const instrument::PlannedPoint& p : points) frequencies.push_back(p.frequency_hz);
    const instrument::SweepSegment& segment = engine.segments.front();
    if (!updated.entries.empty() &&
        (updated.entries.front().frequency_hz != frequencies || updated.feedback_resistance_ohm != plan.feedback_ohm ||
         updated.clock != segment.clock || updated.mclk_hz != segment.mclk_hz)) {
      updated = instrument::CalibrationSet{};
      replaced = true;
    }
    for (std::size_t k = 0; k < combinations.size() && !outcome.cancelled && outcome.failure.empty(); ++k) {
      const instrument::CalibrationOutcome one =
          instrument::calibrate(board, engine, resistor_expression(reference_ohm), {combinations[k]}, updated, control);
      outcome.kept.insert(outcome.kept.end(), one.kept.begin(), one.kept.end());
      outcome.skipped.insert(outcome.skipped.end(), one.skipped.begin(), one.skipped.end());
      outcome.failure = one.failure;
      outcome.cancelled = one.cancelled;
      analysis::SpectrumPoint progress;
      progress.frequency_hz = points.back().frequency_hz;
      progress.range = combinations[k].range;
      progress.pga = combinations[k].pga;
      sink.point(progress, static_cast<int>(k + 1) * per_pass - 1, total);
      outcome.cancelled = outcome.cancelled || cancel_;
    }
  } catch (const std::exception& e) {
    running_ = false;
    sink.failed(std::string("The calibration cannot be taken: ") + e.what());
    return;
  }
  running_ = false;
  if (!outcome.failure.empty()) {
    sink.failed("The board stopped answering (" + outcome.failure + "). Check the cable and press Reconnect.");
    return;
  }
  analysis::Spectrum result;
  result.partial = outcome.cancelled;
  // A fresh set that kept nothing would only throw the old one away.
  const bool nothing_new = replaced && outcome.kept.empty();
  if (!outcome.cancelled && !nothing_new) {
    const std::lock_guard lock(mutex_);
    calibration_ = updated;
  }
  result.metadata = {{"reference", resistor_expression(reference_ohm)},
                     {"kept", joined(outcome.kept)},
                     {"skipped", joined(outcome.skipped)}};
  if (nothing_new) {
    result.warnings.push_back("No combination had a usable signal; the previous calibration stays in force.");
  } else if (replaced) {
    result.warnings.push_back(
        "The previous calibration was taken with another plan or feedback resistor; this reference starts a new "
        "one.");
  }
  sink.finished(result);
}

void EngineSource::stop() { cancel_ = true; }

void EngineSource::wait() {
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

CalibrationInfo EngineSource::calibration() const {
  const std::lock_guard lock(mutex_);
  CalibrationInfo info = calibration_info(calibration_);
  info.file = calibration_file_;
  return info;
}

std::vector<std::string> EngineSource::calibration_warnings(const SweepPlan& plan, long long now_unix_s) const {
  const CalibrationInfo info = calibration();
  if (!info.present) return MeasurementSource::calibration_warnings(plan, now_unix_s);
  std::vector<std::string> warnings;
  try {
    const std::lock_guard lock(mutex_);
    warnings = instrument::calibration_mismatches(engine_plan(plan), calibration_, plan.feedback_ohm);
  } catch (const std::exception& e) {
    warnings.push_back(std::string("The plan cannot run: ") + e.what());
  }
  for (std::string& w : warnings) {
    if (!w.empty()) w[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(w[0])));
    if (!w.empty() && w.back() != '.') w += '.';
  }
  if (info.taken_unix_s > 0 && now_unix_s - info.taken_unix_s > 7 * 86400) {
    warnings.push_back("The calibration is " + std::to_string((now_unix_s - info.taken_unix_s) / 86400) +
                       " days old: take a new one.");
  }
  return warnings;
}

void EngineSource::load_calibration(const std::string& path) {
  instrument::CalibrationSet set = instrument::load_calibration(path);
  const std::lock_guard lock(mutex_);
  calibration_ = std::move(set);
  calibration_file_ = path;
}

void EngineSource::save_calibration(const std::string& path) {
  instrument::CalibrationSet set;
  {
    const std::lock_guard lock(mutex_);
    set = calibration_;
  }
  if (set.entries.empty()) throw std::runtime_error("There is no calibration to save yet.");
  instrument::save_calibration(set, path);
  const std::lock_guard lock(mutex_);
  calibration_file_ = path;
}

void EngineSource::reconnect() {
  wait();
  if (board_ && board_->virtual_board() != nullptr) return;
  // The old handle lets go of the board first: the same board cannot be opened twice.
  board_.reset();
  board_ = open_board_();
}

}  // namespace quelnor::gui::analyzer
