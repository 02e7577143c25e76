// What the analyzer asks the measurement source to do: a sweep plan with its range, PGA,
// settling and feedback resistor, and the frequencies it visits.
#pragma once

#include <string>
#include <vector>

namespace quelnor::gui::analyzer {

struct SweepPlan {
  double start_hz = 1e3;
  double stop_hz = 100e3;
  int points = 101;
  bool logarithmic = true;
  int range = 0;  // excitation range 1..4; 0 = auto
  int pga = 0;    // PGA gain 1 or 5; 0 = auto
  int settling_cycles = 15;
  double feedback_ohm = 100e3;  // the resistor the board is fitted with
};

// The plan's frequencies, start to stop inclusive, evenly spaced on a linear or a log
// axis; one point gives the start.
std::vector<double> plan_frequencies(const SweepPlan& plan);

// Plain words for what is wrong with a plan, empty when it can run.
std::string plan_problem(const SweepPlan& plan);

// "range auto, PGA 5, settling 15 cycles, feedback 100 kOhm".
std::string plan_settings_text(const SweepPlan& plan);

}  // namespace quelnor::gui::analyzer
