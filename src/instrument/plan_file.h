// Sweep plans as JSON, for plans of several segments:
//   {"segments": [{"start_hz": 1000, "stop_hz": 10000, "points": 20, "spacing": "log",
//                  "range": "auto", "pga": 5, "settling_cycles": 15,
//                  "settling_multiplier": 1, "clock": "external", "mclk_hz": 16e6,
//                  "average": 1}, ...]}
// Only start_hz, stop_hz and points are required; the rest take SweepSegment's defaults
// (the internal clock's MCLK defaults to 16.776 MHz).
#pragma once

#include <string>

#include "instrument/sweep_plan.h"

namespace quelnor::instrument {

// Raises PlanError naming `source` and the field at fault; the plan is validated too.
SweepPlan plan_from_json(const std::string& text, const std::string& source);
SweepPlan load_plan(const std::string& path);

}  // namespace quelnor::instrument
