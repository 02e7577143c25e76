// Calibration against plan.
#include "gui/analyzer/calibration_check.h"

#include <cstdio>

#include "analysis/engineering_format.h"

namespace quelnor::gui::analyzer {
namespace {

std::string age_text(long long seconds) {
  if (seconds < 0) seconds = 0;
  if (seconds < 3600) return std::to_string(seconds / 60) + " min";
  if (seconds < 2 * 86400) return std::to_string(seconds / 3600) + " h";
  return std::to_string(seconds / 86400) + " days";
}

std::string span_text(double start_hz, double stop_hz) {
  return analysis::engineering_text(start_hz, "Hz", 4) + " to " + analysis::engineering_text(stop_hz, "Hz", 4);
}

}  // namespace

std::vector<std::string> calibration_warnings(const CalibrationInfo& c, const SweepPlan& plan, long long now_unix_s) {
  std::vector<std::string> warnings;
  if (!c.present) {
    warnings.push_back("No calibration is in force: the readings are uncorrected and may be far off.");
    return warnings;
  }
  if (plan.start_hz < c.start_hz * (1 - 1e-9) || plan.stop_hz > c.stop_hz * (1 + 1e-9)) {
    warnings.push_back("The calibration covers " + span_text(c.start_hz, c.stop_hz) + " but the plan runs " +
                       span_text(plan.start_hz, plan.stop_hz) + ": points outside are extrapolated.");
  }
  if (c.settings != plan_settings_text(plan)) {
    warnings.push_back("The calibration was taken with " + c.settings + "; the plan uses " +
                       plan_settings_text(plan) + ".");
  }
  if (now_unix_s - c.taken_unix_s > 7 * 86400) {
    warnings.push_back("The calibration is " + age_text(now_unix_s - c.taken_unix_s) + " old: take a new one.");
  }
  return warnings;
}

std::string calibration_summary(const CalibrationInfo& c, long long now_unix_s) {
  if (!c.present) return "No calibration";
  char temperature[32];
  std::snprintf(temperature, sizeof temperature, "%.1f", c.temperature_c);
  return span_text(c.start_hz, c.stop_hz) + ", " + std::to_string(c.points) + (c.logarithmic ? " log" : " linear") +
         " points, against " +
         (c.references.empty() ? analysis::engineering_text(c.reference_ohm, "Ohm") : c.references) + "; " + c.settings +
         "; taken " + age_text(now_unix_s - c.taken_unix_s) + " ago at " + temperature + " \u00b0C";
}

std::vector<std::string> MeasurementSource::calibration_warnings(const SweepPlan& plan, long long now_unix_s) const {
  return analyzer::calibration_warnings(calibration(), plan, now_unix_s);
}

}  // namespace quelnor::gui::analyzer
