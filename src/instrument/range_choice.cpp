// Range and PGA choice per point, and the calibration entries a plan may use.
#include "instrument/range_choice.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "instrument/signal_window.h"

namespace quelnor::instrument {

std::string combination_name(Combination c) {
  return "range " + std::to_string(c.range) + " pga x" + std::to_string(c.pga);
}

std::string short_number(double value) {
  std::ostringstream text;
  text.precision(6);
  text << value;
  return text.str();
}

bool same_value(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

CalibrationView::CalibrationView(const SweepPlan& plan, const CalibrationSet* set,
                                 double feedback_ohm, std::vector<std::string>& warnings)
    : plan_(plan), set_(set), feedback_ohm_(feedback_ohm) {
  if (set_ == nullptr) return;
  if (!same_value(set_->feedback_resistance_ohm, feedback_ohm)) {
    warnings.push_back("the calibration was taken with a " +
                       short_number(set_->feedback_resistance_ohm) +
                       " Ohm feedback resistor and the board has " + short_number(feedback_ohm) +
                       " Ohm: rows are uncalibrated");
  }
  for (std::size_t i = 0; i < plan.segments.size(); ++i) {
    const SweepSegment& s = plan.segments[i];
    if (s.clock != set_->clock || !same_value(s.mclk_hz, set_->mclk_hz)) {
      warnings.push_back("segment " + std::to_string(i + 1) + " uses the " + clock_name(s.clock) +
                         " clock at " + short_number(s.mclk_hz) + " Hz and the calibration the " +
                         clock_name(set_->clock) + " clock at " + short_number(set_->mclk_hz) +
                         " Hz: its rows are uncalibrated");
    }
  }
}

const CalibrationEntry* CalibrationView::entry(const PlannedPoint& p, Combination c) const {
  if (set_ == nullptr || !same_value(set_->feedback_resistance_ohm, feedback_ohm_)) return nullptr;
  const SweepSegment& s = plan_.segments[p.segment];
  if (s.clock != set_->clock || !same_value(s.mclk_hz, set_->mclk_hz)) return nullptr;
  const CalibrationEntry* e = set_->find(c.range, c.pga);
  return e != nullptr && !e->points.empty() ? e : nullptr;
}

Correction CalibrationView::correction(const PlannedPoint& p, Combination c,
                                       bool* calibrated) const {
  const CalibrationEntry* e = entry(p, c);
  if (calibrated != nullptr) *calibrated = e != nullptr;
  if (e == nullptr) return nominal_correction(c.range, c.pga, feedback_ohm_);
  return correction_at(*e, p.frequency_hz);
}

bool CalibrationView::covers(const PlannedPoint& p, Combination c) const {
  const CalibrationEntry* e = entry(p, c);
  return e != nullptr && p.frequency_hz >= e->points.front().frequency_hz &&
         p.frequency_hz <= e->points.back().frequency_hz;
}

Combination AutoChooser::first(const PlannedPoint& p) {
  const std::vector<Combination> allowed = candidates(p);
  if (previous_ && std::find(allowed.begin(), allowed.end(), *previous_) != allowed.end()) {
    return *previous_;
  }
  // Nothing known yet: the smallest gain cannot clip.
  return *std::min_element(allowed.begin(), allowed.end(), [](Combination a, Combination b) {
    return nominal_gain(a.range, a.pga) < nominal_gain(b.range, b.pga);
  });
}

std::optional<Combination> AutoChooser::next(const PlannedPoint& p,
                                             const std::vector<Reading>& tried) {
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

std::vector<Combination> allowed_combinations(const SweepSegment& s) {
  std::vector<Combination> allowed;
  for (const int pga : {1, 5}) {
    if (s.pga != auto_select && s.pga != pga) continue;
    for (int range = 1; range <= 4; ++range) {
      if (s.range == auto_select || s.range == range) allowed.push_back({range, pga});
    }
  }
  return allowed;
}

std::vector<Combination> AutoChooser::candidates(const PlannedPoint& p) const {
  const std::vector<Combination> allowed = allowed_combinations(plan_.segments[p.segment]);
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

}  // namespace quelnor::instrument
