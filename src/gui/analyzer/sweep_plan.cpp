// Sweep plan frequencies and texts.
#include "gui/analyzer/sweep_plan.h"

#include <cmath>

#include "analysis/engineering_format.h"

namespace quelnor::gui::analyzer {

std::vector<double> plan_frequencies(const SweepPlan& plan) {
  std::vector<double> f;
  if (!plan_problem(plan).empty()) return f;
  f.reserve(plan.points);
  for (int i = 0; i < plan.points; ++i) {
    const double t = plan.points > 1 ? i / double(plan.points - 1) : 0.0;
    f.push_back(plan.logarithmic ? plan.start_hz * std::pow(plan.stop_hz / plan.start_hz, t)
                                 : plan.start_hz + t * (plan.stop_hz - plan.start_hz));
  }
  if (plan.points > 1) f.back() = plan.stop_hz;
  return f;
}

std::string plan_problem(const SweepPlan& plan) {
  if (!(plan.start_hz > 0.0) || !std::isfinite(plan.start_hz)) return "The start frequency must be above 0 Hz.";
  if (!(plan.stop_hz >= plan.start_hz) || !std::isfinite(plan.stop_hz)) {
    return "The stop frequency must not be below the start frequency.";
  }
  if (plan.points < 1 || plan.points > 100000) return "The number of points must be 1 to 100000.";
  if (plan.range < 0 || plan.range > 4) return "The range must be 1 to 4 or auto.";
  if (plan.pga != 0 && plan.pga != 1 && plan.pga != 5) return "The PGA gain must be 1, 5 or auto.";
  if (plan.settling_cycles < 0 || plan.settling_cycles > 2044) return "Settling must be 0 to 2044 cycles.";
  if (!(plan.feedback_ohm > 0.0)) return "The feedback resistor must be above 0 ohm.";
  return {};
}

std::string plan_settings_text(const SweepPlan& plan) {
  return std::string("range ") + (plan.range ? std::to_string(plan.range) : "auto") + ", PGA " +
         (plan.pga ? std::to_string(plan.pga) : "auto") + ", settling " + std::to_string(plan.settling_cycles) +
         " cycles, feedback " + analysis::engineering_text(plan.feedback_ohm, "Ohm");
}

}  // namespace quelnor::gui::analyzer
