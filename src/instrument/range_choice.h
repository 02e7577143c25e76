// How the engine chooses each point's excitation range and PGA gain: a fixed choice, or
// auto-ranging among the combinations the calibration covers, judged from each reading's
// DFT magnitude; and which calibration entry, if any, corrects a combination.
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "instrument/calibration.h"
#include "instrument/chip_driver.h"
#include "instrument/sweep_plan.h"

namespace quelnor::instrument {

struct Reading {
  Combination combination;
  std::complex<double> dft;
};

std::string combination_name(Combination c);

// Which calibration entries a plan's segments may use (same feedback resistor, clock and
// MCLK), and the correction of any combination at a point.
class CalibrationView {
 public:
  // Mismatches of resistor or clock are added to warnings.
  CalibrationView(const SweepPlan& plan, const CalibrationSet* set, double feedback_ohm,
                  std::vector<std::string>& warnings);
  const CalibrationEntry* entry(const PlannedPoint& p, Combination c) const;
  // The entry's correction, or the nominal chain's (calibrated then false).
  Correction correction(const PlannedPoint& p, Combination c, bool* calibrated) const;
  // An entry whose frequencies include the point's.
  bool covers(const PlannedPoint& p, Combination c) const;

 private:
  const SweepPlan& plan_;
  const CalibrationSet* set_;
  double feedback_ohm_;
};

class RangeChooser {
 public:
  virtual ~RangeChooser() = default;
  // The combination a point's first measurement uses.
  virtual Combination first(const PlannedPoint& point) = 0;
  // After the readings so far: measure again with this combination, or stop. Never
  // returns a combination already tried at this point, so a point ends.
  virtual std::optional<Combination> next(const PlannedPoint& point,
                                          const std::vector<Reading>& tried) = 0;
  // The combination the point's row uses.
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

// Per point: among the allowed combinations (those the calibration covers there, when it
// covers any), the largest signal that does not clip. From a reading it predicts every
// other combination's signal (nominal gain ratio and the series resistances); a clipped
// reading only says the signal is at least that large, so it steps down until one is not.
class AutoChooser final : public RangeChooser {
 public:
  AutoChooser(const SweepPlan& plan, const CalibrationView& calibration)
      : plan_(plan), calibration_(calibration) {}
  Combination first(const PlannedPoint& p) override;
  std::optional<Combination> next(const PlannedPoint& p,
                                  const std::vector<Reading>& tried) override;
  void chosen(Combination c) override { previous_ = c; }

 private:
  std::vector<Combination> candidates(const PlannedPoint& p) const;

  const SweepPlan& plan_;
  const CalibrationView& calibration_;
  std::optional<Combination> previous_;
};

// The combinations a segment allows: its range and PGA, or all of them where auto.
std::vector<Combination> allowed_combinations(const SweepSegment& segment);

// The largest signal that did not clip, else the smallest gain tried.
const Reading& best_reading(const std::vector<Reading>& tried);

// Equal to within rounding, for resistances and clock frequencies.
bool same_value(double a, double b);
// A number for messages, six significant digits.
std::string short_number(double value);

}  // namespace quelnor::instrument
