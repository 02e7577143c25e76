// Plain-word warnings when the calibration in force does not fit the plan about to run.
#pragma once

#include <string>
#include <vector>

#include "gui/analyzer/measurement_source.h"

namespace quelnor::gui::analyzer {

// Checks: no calibration, plan outside its span, other settings, older than a week.
std::vector<std::string> calibration_warnings(const CalibrationInfo& calibration, const SweepPlan& plan,
                                              long long now_unix_s);

// One line of what the calibration is: span, points, settings, age, temperature.
std::string calibration_summary(const CalibrationInfo& calibration, long long now_unix_s);

}  // namespace quelnor::gui::analyzer
