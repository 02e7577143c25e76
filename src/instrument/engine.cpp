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
#include "instrument/chip_pass.h"
#include "instrument/range_choice.h"
#include "instrument/reference_impedance.h"
#include "instrument/signal_window.h"

namespace quelnor::instrument {
namespace {

namespace command = converter::command;

void standby_quietly(ChipDriver& chip, Combination c) {
  try {
    chip.command(command::standby, c);
  } catch (...) {
    // The board is already failing; the failure that got us here is what gets reported.
  }
}

std::string missing_entry_warning(Combination c) {
  return "no calibration entry for " + combination_name(c) +
         " with this board's clock and feedback resistor: its rows are uncalibrated";
}

std::string outside_span_warning(Combination c) {
  return "the plan goes outside the calibrated frequencies of " + combination_name(c) +
         ": those rows are extrapolated";
}

void add_once(std::vector<std::string>& list, const std::string& text) {
  if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(text);
}

}  // namespace

std::vector<std::string> calibration_mismatches(const SweepPlan& plan, const CalibrationSet& set,
                                                double feedback_resistance_ohm) {
  const std::vector<PlannedPoint> points = planned_points(plan);
  std::vector<std::string> warnings;
  const CalibrationView view(plan, &set, feedback_resistance_ohm, warnings);
  for (const PlannedPoint& p : points) {
    const std::vector<Combination> allowed = allowed_combinations(plan.segments[p.segment]);
    std::vector<Combination> with_entry;
    bool covered = false;
    for (const Combination c : allowed) {
      if (view.entry(p, c) != nullptr) with_entry.push_back(c);
      covered = covered || view.covers(p, c);
    }
    if (with_entry.empty()) {
      // Auto-ranging then measures uncalibrated on whichever combination suits the point.
      if (allowed.size() == 1) add_once(warnings, missing_entry_warning(allowed.front()));
      if (allowed.size() > 1)
        add_once(warnings,
                 "no calibration entry for any range/PGA combination the plan allows: rows are "
                 "uncalibrated");
    } else if (!covered) {
      for (const Combination c : with_entry) add_once(warnings, outside_span_warning(c));
    }
  }
  return warnings;
}

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
                       {"feedback_resistance_ohm", short_number(board.feedback_resistance_ohm)},
                       {"plan", describe_plan(plan)}};
  const CalibrationView view(plan, calibration, board.feedback_resistance_ohm, spectrum.warnings);
  AutoChooser chooser(plan, view);
  ChipDriver chip(board);
  const bool repeated = control.passes != 1;
  const double run_start_s = chip.now_s();
  Combination last{1, 1};
  const auto warn_once = [&](const std::string& text) { add_once(spectrum.warnings, text); };
  try {
    for (int pass = 1; control.passes == 0 || pass <= control.passes; ++pass) {
      if (control.cancel != nullptr && control.cancel->load()) {
        spectrum.partial = true;
        break;
      }
      chip.command(command::standby, last);
      const double temperature_c = chip.read_temperature_c(last);
      if (pass == 1)
        spectrum.metadata.emplace_back("die_temperature_c", short_number(temperature_c));
      if (calibration != nullptr && std::fabs(temperature_c - calibration->temperature_c) > 10.0) {
        warn_once("the die is at " + short_number(temperature_c) + " C, more than 10 C from the " +
                  short_number(calibration->temperature_c) + " C the calibration was taken at");
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
          if (calibration != nullptr) warn_once(missing_entry_warning(raw.combination));
        } else if (c.extrapolated) {
          row.flags |= analysis::point_flag::extrapolated;
          warn_once(outside_span_warning(raw.combination));
        }
        if (raw.sweep_ended_early) {
          warn_once(
              "the chip ended a frequency sweep before its last point; the points after it "
              "were started afresh (check the board if this repeats)");
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
    spectrum.warnings.insert(
        spectrum.warnings.begin(),
        "no calibration: impedances are nominal estimates, flagged uncalibrated");
  }
  int average = 1;
  for (const SweepSegment& s : plan.segments) average = std::max(average, s.average);
  spectrum.metadata.emplace_back("average", std::to_string(average));
  if (repeated)
    spectrum.metadata.emplace_back(
        "passes", control.passes == 0 ? "until stopped" : std::to_string(control.passes));
  m.requests = chip.requests();
  return m;
}

CalibrationOutcome calibrate(BoardAccess& board, const SweepPlan& plan,
                             const std::string& reference,
                             const std::vector<Combination>& combinations, CalibrationSet& set,
                             const RunControl& control) {
  const std::vector<PlannedPoint> points = planned_points(plan);
  check_circuit(reference);
  if (combinations.empty()) throw std::invalid_argument("no range/PGA combination to calibrate");
  const SweepSegment& first = plan.segments.front();
  for (const SweepSegment& s : plan.segments) {
    if (s.clock != first.clock || !same_value(s.mclk_hz, first.mclk_hz)) {
      throw PlanError(
          "a calibration is taken with one clock: every segment needs the same clock and MCLK");
    }
  }
  std::vector<double> frequencies;
  for (const PlannedPoint& p : points) frequencies.push_back(p.frequency_hz);
  if (!set.entries.empty()) {
    if (!same_value(set.feedback_resistance_ohm, board.feedback_resistance_ohm)) {
      throw std::invalid_argument(
          "the calibration was taken with a " + short_number(set.feedback_resistance_ohm) +
          " Ohm feedback resistor, not " + short_number(board.feedback_resistance_ohm));
    }
    if (set.clock != first.clock || !same_value(set.mclk_hz, first.mclk_hz)) {
      throw std::invalid_argument("the calibration was taken with the " + clock_name(set.clock) +
                                  " clock at " + short_number(set.mclk_hz) +
                                  " Hz; the plan differs");
    }
    if (set.entries.front().frequency_hz != frequencies) {
      throw std::invalid_argument(
          "the plan's frequencies differ from the calibration's; add to it "
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
      outcome.skipped.push_back(name + ": the signal reaches " + short_number(100.0 * highest) +
                                " % of the ADC's full scale (clipping); use a larger reference");
      continue;
    }
    if (lowest < calibration_low_fraction) {
      outcome.skipped.push_back(name + ": the signal falls to " + short_number(100.0 * lowest) +
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
    outcome.kept.push_back(
        name + (candidate.references.size() == 1
                    ? " (one reference so far: gain and phase only; add a "
                      "reference of another value for the series resistance)"
                    : " (" + std::to_string(candidate.references.size()) + " references)"));
  }
  updated.board = board.identity;
  updated.taken_at = taken_at;
  updated.temperature_c = temperature_c;
  set = std::move(updated);
  return outcome;
}

}  // namespace quelnor::instrument
