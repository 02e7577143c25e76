// The engine's runs: chip sweeps over the plan's points, auto-ranging, averaging, repeated
// passes, cancellation, and calibration takes.
#include "instrument/engine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>
#include <sstream>

#include "converter/register_map.h"
#include "instrument/reference_impedance.h"
#include "instrument/signal_window.h"

namespace quelnor::instrument {
namespace {

namespace reg = converter::reg;
namespace command = converter::command;

// The output stage's power-up after standby; later initialise commands find it running.
constexpr double power_up_wait_s = 2e-3;
constexpr int most_increments = 511;  // nine-bit increment count

struct Reading {
  Combination combination;
  std::complex<double> dft;
};

// Chooses each point's range and PGA: where to start, and whether to measure again.
class RangeChooser {
 public:
  virtual ~RangeChooser() = default;
  virtual Combination first(const PlannedPoint& point) = 0;
  virtual std::optional<Combination> next(const PlannedPoint& point,
                                          const std::vector<Reading>& tried) = 0;
  virtual void chosen(Combination combination) = 0;
};

class FixedChooser final : public RangeChooser {
 public:
  explicit FixedChooser(Combination c) : c_(c) {}
  Combination first(const PlannedPoint&) override { return c_; }
  std::optional<Combination> next(const PlannedPoint&, const std::vector<Reading>&) override {
    return std::nullopt;
  }
  void chosen(Combination) override {}

 private:
  Combination c_;
};

std::string combination_name(Combination c) {
  return "range " + std::to_string(c.range) + " pga x" + std::to_string(c.pga);
}

std::string number(double value) {
  std::ostringstream text;
  text.precision(6);
  text << value;
  return text.str();
}

bool same_value(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

// Which calibration entries a segment may use, and the correction of any combination.
class CalibrationView {
 public:
  CalibrationView(const SweepPlan& plan, const CalibrationSet* set, double feedback_ohm,
                  std::vector<std::string>& warnings)
      : plan_(plan), set_(set), feedback_ohm_(feedback_ohm) {
    if (set_ == nullptr) return;
    if (!same_value(set_->feedback_resistance_ohm, feedback_ohm)) {
      warnings.push_back("the calibration was taken with a " +
                         number(set_->feedback_resistance_ohm) +
                         " Ohm feedback resistor and the board has " + number(feedback_ohm) +
                         " Ohm: rows are uncalibrated");
    }
    for (std::size_t i = 0; i < plan.segments.size(); ++i) {
      const SweepSegment& s = plan.segments[i];
      if (s.clock != set_->clock || !same_value(s.mclk_hz, set_->mclk_hz)) {
        warnings.push_back("segment " + std::to_string(i + 1) + " uses the " + clock_name(s.clock) +
                           " clock at " + number(s.mclk_hz) + " Hz and the calibration the " +
                           clock_name(set_->clock) + " clock at " + number(set_->mclk_hz) +
                           " Hz: its rows are uncalibrated");
      }
    }
  }

  const CalibrationEntry* entry(const PlannedPoint& p, Combination c) const {
    if (set_ == nullptr || !same_value(set_->feedback_resistance_ohm, feedback_ohm_)) return nullptr;
    const SweepSegment& s = plan_.segments[p.segment];
    if (s.clock != set_->clock || !same_value(s.mclk_hz, set_->mclk_hz)) return nullptr;
    const CalibrationEntry* e = set_->find(c.range, c.pga);
    return e != nullptr && !e->points.empty() ? e : nullptr;
  }

  Correction correction(const PlannedPoint& p, Combination c, bool* calibrated) const {
    const CalibrationEntry* e = entry(p, c);
    if (calibrated != nullptr) *calibrated = e != nullptr;
    if (e == nullptr) return nominal_correction(c.range, c.pga, feedback_ohm_);
    return correction_at(*e, p.frequency_hz);
  }

  bool covers(const PlannedPoint& p, Combination c) const {
    const CalibrationEntry* e = entry(p, c);
    return e != nullptr && p.frequency_hz >= e->points.front().frequency_hz &&
           p.frequency_hz <= e->points.back().frequency_hz;
  }

 private:
  const SweepPlan& plan_;
  const CalibrationSet* set_;
  double feedback_ohm_;
};

// Per point: among the allowed combinations (those the calibration covers there, when it
// covers any), the largest signal that does not clip, judged from the last reading.
class AutoChooser final : public RangeChooser {
 public:
  AutoChooser(const SweepPlan& plan, const CalibrationView& calibration)
      : plan_(plan), calibration_(calibration) {}

  Combination first(const PlannedPoint& p) override {
    const std::vector<Combination> allowed = candidates(p);
    if (previous_ && std::find(allowed.begin(), allowed.end(), *previous_) != allowed.end()) {
      return *previous_;
    }
    // Nothing known yet: the smallest gain cannot clip.
    return *std::min_element(allowed.begin(), allowed.end(), [](Combination a, Combination b) {
      return nominal_gain(a.range, a.pga) < nominal_gain(b.range, b.pga);
    });
  }

  std::optional<Combination> next(const PlannedPoint& p, const std::vector<Reading>& tried) override {
    std::vector<Combination> untried;
    for (const Combination c : candidates(p)) {
      const bool seen = std::any_of(tried.begin(), tried.end(),
                                    [&](const Reading& r) { return r.combination == c; });
      if (!seen) untried.push_back(c);
    }
    if (untried.empty()) return std::nullopt;
    const Reading& last = tried.back();
    const double fraction = signal_fraction(last.dft);
    const double last_gain = nominal_gain(last.combination.range, last.combination.pga);
    const bool clipped = fraction >= clip_fraction;
    const Correction last_correction = calibration_.correction(p, last.combination, nullptr);
    const std::complex<double> z = corrected_impedance(last.dft, last_correction);

    std::optional<Combination> best;
    double best_fraction = 0.0;
    for (const Combination c : untried) {
      const double gain = nominal_gain(c.range, c.pga);
      if (clipped && gain >= last_gain) continue;
      double predicted = 0.0;
      if (fraction == 0.0 || !std::isfinite(std::abs(z))) {
        predicted = gain > last_gain ? target_fraction : 0.0;  // no signal: try more gain
      } else {
        const Correction cc = calibration_.correction(p, c, nullptr);
        predicted = fraction * gain / last_gain * std::abs(z + last_correction.series_ohm) /
                    std::abs(z + cc.series_ohm);
      }
      if (predicted <= target_fraction && predicted > best_fraction) {
        best = c;
        best_fraction = predicted;
      }
    }
    if (clipped && !best) {
      // Even the prediction clips (a clipped reading hides how large the signal is):
      // step to the smallest gain below.
      for (const Combination c : untried) {
        const double gain = nominal_gain(c.range, c.pga);
        if (gain < last_gain && (!best || gain < nominal_gain(best->range, best->pga))) best = c;
      }
      return best;
    }
    // Not worth a measurement for less than a quarter more signal.
    if (!clipped && best && best_fraction < 1.25 * fraction) return std::nullopt;
    return best;
  }

  void chosen(Combination c) override { previous_ = c; }

 private:
  std::vector<Combination> candidates(const PlannedPoint& p) const {
    const SweepSegment& s = plan_.segments[p.segment];
    std::vector<Combination> allowed;
    for (const int pga : {1, 5}) {
      if (s.pga != auto_select && s.pga != pga) continue;
      for (int range = 1; range <= 4; ++range) {
        if (s.range == auto_select || s.range == range) allowed.push_back({range, pga});
      }
    }
    for (const bool need_cover : {true, false}) {
      std::vector<Combination> calibrated;
      for (const Combination c : allowed) {
        if (need_cover ? calibration_.covers(p, c) : calibration_.entry(p, c) != nullptr) {
          calibrated.push_back(c);
        }
      }
      if (!calibrated.empty()) return calibrated;
    }
    return allowed;
  }

  const SweepPlan& plan_;
  const CalibrationView& calibration_;
  std::optional<Combination> previous_;
};

// The best of a point's readings: the largest signal that did not clip, else the smallest
// gain tried.
const Reading& best_reading(const std::vector<Reading>& tried) {
  const Reading* best = nullptr;
  for (const Reading& r : tried) {
    if (signal_fraction(r.dft) >= clip_fraction) continue;
    if (best == nullptr || signal_fraction(r.dft) > signal_fraction(best->dft)) best = &r;
  }
  if (best != nullptr) return *best;
  best = &tried.front();
  for (const Reading& r : tried) {
    if (nominal_gain(r.combination.range, r.combination.pga) <
        nominal_gain(best->combination.range, best->combination.pga)) {
      best = &r;
    }
  }
  return *best;
}

struct RawPoint {
  const PlannedPoint* planned = nullptr;
  Combination combination;
  std::complex<double> dft;  // averaged
  double time_s = 0.0;
};

void program_segment(ChipDriver& chip, const SweepSegment& s) {
  chip.write_if_changed(reg::control_low,
                        s.clock == ClockSource::external ? converter::external_clock_bit : 0);
  std::int32_t multiplier_bits = 0;
  if (s.settling_multiplier == 2) multiplier_bits = converter::settling_times_two;
  if (s.settling_multiplier == 4) multiplier_bits = converter::settling_times_four;
  chip.write_if_changed(reg::settling_low, s.settling_cycles & 0xFF);
  chip.write_if_changed(reg::settling_high,
                        ((s.settling_cycles >> 8) & converter::settling_count_bit8) | multiplier_bits);
}

void write_code(ChipDriver& chip, std::int32_t high_reg, std::uint32_t code) {
  chip.write_if_changed(high_reg, static_cast<std::int32_t>((code >> 16) & 0xFF));
  chip.write_if_changed(high_reg + 1, static_cast<std::int32_t>((code >> 8) & 0xFF));
  chip.write_if_changed(high_reg + 2, static_cast<std::int32_t>(code & 0xFF));
}

// One pass over the points, the chip in standby at its start. Returns false when cancelled.
bool run_pass(ChipDriver& chip, const SweepPlan& plan, const std::vector<PlannedPoint>& points,
              RangeChooser& chooser, const std::atomic<bool>* cancel, double run_start_s,
              const std::function<void(const RawPoint&)>& deliver) {
  bool from_standby = true;
  bool sweeping = false;
  int increments_done = 0;
  std::size_t segment = points.empty() ? 0 : points.front().segment + 1;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (cancel != nullptr && cancel->load()) return false;
    const PlannedPoint& p = points[i];
    const SweepSegment& s = plan.segments[p.segment];
    if (p.segment != segment) {
      program_segment(chip, s);
      segment = p.segment;
    }
    const double measurement_s =
        measurement_time_s(p.frequency_hz, s.settling_cycles, s.settling_multiplier, s.mclk_hz);
    const Combination start = chooser.first(p);
    if (p.by_increment && sweeping && increments_done < most_increments) {
      chip.start_measurement(command::increment, start, measurement_s);
      ++increments_done;
    } else {
      int following = 0;
      while (i + 1 + following < points.size() && points[i + 1 + following].by_increment &&
             following < most_increments) {
        ++following;
      }
      write_code(chip, reg::start_frequency_high, p.code);
      if (following > 0) {
        write_code(chip, reg::increment_high, points[i + 1].code - p.code);
        chip.write_if_changed(reg::increments_high, (following >> 8) & 0x01);
        chip.write_if_changed(reg::increments_low, following & 0xFF);
      }
      chip.command(command::initialise, start);
      if (from_standby) {
        chip.sleep(power_up_wait_s);
        from_standby = false;
      }
      chip.start_measurement(command::start_sweep, start, measurement_s);
      sweeping = true;
      increments_done = 0;
    }
    std::vector<Reading> tried{{start, chip.wait_and_read_dft(p.frequency_hz)}};
    // Each combination is tried at most once, so this ends.
    while (const std::optional<Combination> again = chooser.next(p, tried)) {
      chip.start_measurement(command::repeat, *again, measurement_s);
      tried.push_back({*again, chip.wait_and_read_dft(p.frequency_hz)});
    }
    const Reading best = best_reading(tried);
    chooser.chosen(best.combination);
    std::complex<double> sum = best.dft;
    for (int k = 1; k < s.average; ++k) {
      chip.start_measurement(command::repeat, best.combination, measurement_s);
      sum += chip.wait_and_read_dft(p.frequency_hz);
    }
    RawPoint raw;
    raw.planned = &p;
    raw.combination = best.combination;
    raw.dft = sum / static_cast<double>(s.average);
    raw.time_s = chip.now_s() - run_start_s;
    deliver(raw);
  }
  return true;
}

void standby_quietly(ChipDriver& chip, Combination c) {
  try {
    chip.command(command::standby, c);
  } catch (...) {
    // The board is already failing; the failure that got us here is what gets reported.
  }
}

}  // namespace

std::vector<Combination> all_combinations() {
  std::vector<Combination> all;
  for (const int pga : {1, 5}) {
    for (int range = 1; range <= 4; ++range) all.push_back({range, pga});
  }
  return all;
}

std::string utc_timestamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

Measurement measure(BoardAccess& board, const SweepPlan& plan, const CalibrationSet* calibration,
                    const RunControl& control) {
  const std::vector<PlannedPoint> points = planned_points(plan);
  if (control.passes < 0) throw PlanError("passes must be 0 (until stopped) or more");
  if (control.passes == 0 && control.cancel == nullptr) {
    throw PlanError("a run until stopped needs a way to stop it");
  }
  Measurement m;
  analysis::Spectrum& spectrum = m.spectrum;
  spectrum.metadata = {{"started", utc_timestamp()},
                       {"board", board.identity},
                       {"feedback_resistance_ohm", number(board.feedback_resistance_ohm)},
                       {"plan", describe_plan(plan)}};
  const CalibrationView view(plan, calibration, board.feedback_resistance_ohm, spectrum.warnings);
  AutoChooser chooser(plan, view);
  ChipDriver chip(board);
  const bool repeated = control.passes != 1;
  const double run_start_s = chip.now_s();
  Combination last{1, 1};
  std::vector<std::string> noted;  // combinations already warned about
  const auto warn_once = [&](const std::string& text) {
    if (std::find(noted.begin(), noted.end(), text) == noted.end()) {
      noted.push_back(text);
      spectrum.warnings.push_back(text);
    }
  };
  try {
    for (int pass = 1; control.passes == 0 || pass <= control.passes; ++pass) {
      if (control.cancel != nullptr && control.cancel->load()) {
        spectrum.partial = true;
        break;
      }
      chip.command(command::standby, last);
      const double temperature_c = chip.read_temperature_c(last);
      if (pass == 1) spectrum.metadata.emplace_back("die_temperature_c", number(temperature_c));
      if (calibration != nullptr && std::fabs(temperature_c - calibration->temperature_c) > 10.0) {
        warn_once("the die is at " + number(temperature_c) + " C, more than 10 C from the " +
                  number(calibration->temperature_c) + " C the calibration was taken at");
      }
      const auto deliver = [&](const RawPoint& raw) {
        const PlannedPoint& p = *raw.planned;
        bool calibrated = false;
        const Correction c = view.correction(p, raw.combination, &calibrated);
        analysis::SpectrumPoint row;
        row.frequency_hz = p.frequency_hz;
        row.impedance_ohm = corrected_impedance(raw.dft, c);
        row.range = raw.combination.range;
        row.pga = raw.combination.pga;
        const double fraction = signal_fraction(raw.dft);
        if (fraction >= clip_fraction) row.flags |= analysis::point_flag::clipped;
        if (fraction < low_signal_fraction) row.flags |= analysis::point_flag::low_signal;
        if (!calibrated) {
          row.flags |= analysis::point_flag::uncalibrated;
          if (calibration != nullptr) {
            warn_once("no calibration entry for " + combination_name(raw.combination) +
                      " with this board's clock and feedback resistor: its rows are uncalibrated");
          }
        } else if (c.extrapolated) {
          row.flags |= analysis::point_flag::extrapolated;
          warn_once("the plan goes outside the calibrated frequencies of " +
                    combination_name(raw.combination) + ": those rows are extrapolated");
        }
        row.pass = repeated ? pass : 0;
        row.time_s = raw.time_s;
        row.temperature_c = temperature_c;
        last = raw.combination;
        spectrum.points.push_back(row);
        if (control.on_point) control.on_point(row);
      };
      if (!run_pass(chip, plan, points, chooser, control.cancel, run_start_s, deliver)) {
        spectrum.partial = true;
        break;
      }
    }
    chip.command(command::standby, last);
  } catch (const std::exception& e) {
    m.failure = e.what();
    spectrum.partial = true;
    standby_quietly(chip, last);
  }
  if (calibration == nullptr) {
    spectrum.warnings.insert(spectrum.warnings.begin(),
                             "no calibration: impedances are nominal estimates, flagged uncalibrated");
  }
  int average = 1;
  for (const SweepSegment& s : plan.segments) average = std::max(average, s.average);
  spectrum.metadata.emplace_back("average", std::to_string(average));
  if (repeated) spectrum.metadata.emplace_back("passes", control.passes == 0 ? "until stopped" : std::to_string(control.passes));
  m.requests = chip.requests();
  return m;
}

CalibrationOutcome calibrate(BoardAccess& board, const SweepPlan& plan, const std::string& reference,
                             const std::vector<Combination>& combinations, CalibrationSet& set,
                             const RunControl& control) {
  const std::vector<PlannedPoint> points = planned_points(plan);
  check_circuit(reference);
  if (combinations.empty()) throw std::invalid_argument("no range/PGA combination to calibrate");
  const SweepSegment& first = plan.segments.front();
  for (const SweepSegment& s : plan.segments) {
    if (s.clock != first.clock || !same_value(s.mclk_hz, first.mclk_hz)) {
      throw PlanError("a calibration is taken with one clock: every segment needs the same clock and MCLK");
    }
  }
  std::vector<double> frequencies;
  for (const PlannedPoint& p : points) frequencies.push_back(p.frequency_hz);
  if (!set.entries.empty()) {
    if (!same_value(set.feedback_resistance_ohm, board.feedback_resistance_ohm)) {
      throw std::invalid_argument("the calibration was taken with a " +
                                  number(set.feedback_resistance_ohm) +
                                  " Ohm feedback resistor, not " + number(board.feedback_resistance_ohm));
    }
    if (set.clock != first.clock || !same_value(set.mclk_hz, first.mclk_hz)) {
      throw std::invalid_argument("the calibration was taken with the " + clock_name(set.clock) +
                                  " clock at " + number(set.mclk_hz) + " Hz; the plan differs");
    }
    if (set.entries.front().frequency_hz != frequencies) {
      throw std::invalid_argument("the plan's frequencies differ from the calibration's; add to it "
                                  "with the plan it was taken with");
    }
  }

  CalibrationOutcome outcome;
  ChipDriver chip(board);
  std::vector<std::vector<std::complex<double>>> results(combinations.size());
  double temperature_c = 0.0;
  const std::string taken_at = utc_timestamp();
  try {
    chip.command(command::standby, combinations.front());
    temperature_c = chip.read_temperature_c(combinations.front());
    for (std::size_t k = 0; k < combinations.size(); ++k) {
      FixedChooser chooser(combinations[k]);
      const auto keep = [&](const RawPoint& raw) { results[k].push_back(raw.dft); };
      chip.command(command::standby, combinations[k]);
      if (!run_pass(chip, plan, points, chooser, control.cancel, chip.now_s(), keep)) {
        outcome.cancelled = true;
        break;
      }
    }
    chip.command(command::standby, combinations.front());
  } catch (const std::exception& e) {
    outcome.failure = e.what();
    standby_quietly(chip, combinations.front());
  }
  outcome.requests = chip.requests();
  if (outcome.cancelled || !outcome.failure.empty()) return outcome;

  CalibrationSet updated = set;
  if (updated.entries.empty()) {
    updated.feedback_resistance_ohm = board.feedback_resistance_ohm;
    updated.clock = first.clock;
    updated.mclk_hz = first.mclk_hz;
    updated.settling_cycles = first.settling_cycles;
    updated.settling_multiplier = first.settling_multiplier;
  }
  for (std::size_t k = 0; k < combinations.size(); ++k) {
    const Combination c = combinations[k];
    double lowest = 1e300, highest = 0.0;
    for (const std::complex<double> d : results[k]) {
      lowest = std::min(lowest, signal_fraction(d));
      highest = std::max(highest, signal_fraction(d));
    }
    const std::string name = combination_name(c);
    if (highest >= calibration_high_fraction) {
      outcome.skipped.push_back(name + ": the signal reaches " + number(100.0 * highest) +
                                " % of the ADC's full scale (clipping); use a larger reference");
      continue;
    }
    if (lowest < calibration_low_fraction) {
      outcome.skipped.push_back(name + ": the signal falls to " + number(100.0 * lowest) +
                                " % of the ADC's full scale (too noisy); use a smaller reference");
      continue;
    }
    CalibrationEntry candidate;
    if (const CalibrationEntry* existing = updated.find(c.range, c.pga)) candidate = *existing;
    candidate.range = c.range;
    candidate.pga = c.pga;
    candidate.frequency_hz = frequencies;
    std::erase_if(candidate.references,
                  [&](const ReferenceSweep& r) { return r.reference == reference; });
    ReferenceSweep sweep;
    sweep.reference = reference;
    sweep.taken_at = taken_at;
    sweep.temperature_c = temperature_c;
    sweep.average = first.average;
    sweep.dft = results[k];
    candidate.references.push_back(sweep);
    try {
      solve_entry(candidate);
    } catch (const std::invalid_argument& e) {
      outcome.skipped.push_back(e.what());
      continue;
    }
    if (CalibrationEntry* existing = updated.find(c.range, c.pga)) {
      *existing = candidate;
    } else {
      updated.entries.push_back(candidate);
    }
    outcome.kept.push_back(name + (candidate.references.size() == 1
                                       ? " (one reference so far: gain and phase only; add a "
                                         "reference of another value for the series resistance)"
                                       : " (" + std::to_string(candidate.references.size()) +
                                             " references)"));
  }
  updated.board = board.identity;
  updated.taken_at = taken_at;
  updated.temperature_c = temperature_c;
  set = std::move(updated);
  return outcome;
}

}  // namespace quelnor::instrument
