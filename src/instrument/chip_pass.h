// One pass of a plan on the chip: chip sweeps for equally spaced points, one-point sweeps
// for the others, each point's range and PGA chosen by a RangeChooser and its repeats
// averaged. (The why of this sequence is in engine.h.)
#pragma once

#include <atomic>
#include <complex>
#include <functional>
#include <vector>

#include "instrument/chip_driver.h"
#include "instrument/range_choice.h"
#include "instrument/sweep_plan.h"

namespace quelnor::instrument {

struct RawPoint {
  const PlannedPoint* planned = nullptr;
  Combination combination;
  std::complex<double> dft;  // averaged over the segment's count
  double time_s = 0.0;       // since run_start_s
  // The chip said its sweep was complete at this point though increments remained; the
  // next point was programmed afresh instead of repeating this point's result.
  bool sweep_ended_early = false;
};

// The chip is in standby at the start. Hands each point to deliver; returns false when
// cancel was set before a point. Board failures propagate as exceptions.
bool run_pass(ChipDriver& chip, const SweepPlan& plan, const std::vector<PlannedPoint>& points,
              RangeChooser& chooser, const std::atomic<bool>* cancel, double run_start_s,
              const std::function<void(const RawPoint&)>& deliver);

}  // namespace quelnor::instrument
