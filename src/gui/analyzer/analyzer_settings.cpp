// Remembered state through QSettings, checked value by value.
#include "gui/analyzer/analyzer_settings.h"

#include <QStringList>
#include <cmath>

namespace quelnor::gui::analyzer {
namespace {

// Reads a number; a present but unreadable value is reported and the default kept.
template <typename T>
void read_number(QSettings& s, const char* key, T& value, QStringList& bad) {
  if (!s.contains(key)) return;
  bool ok = false;
  const double v = s.value(key).toDouble(&ok);
  if (!ok || !std::isfinite(v)) {
    bad << key;
    return;
  }
  value = static_cast<T>(v);
}

void read_bool(QSettings& s, const char* key, bool& value, QStringList& bad) {
  if (!s.contains(key)) return;
  const QString text = s.value(key).toString();
  if (text == "true" || text == "1") {
    value = true;
  } else if (text == "false" || text == "0") {
    value = false;
  } else {
    bad << key;
  }
}

}  // namespace

AnalyzerState load_analyzer_state(QSettings& s, QString& note) {
  AnalyzerState state;
  note.clear();
  s.allKeys();  // makes the store read now, so its status says whether it could be
  if (s.status() != QSettings::NoError) {
    note = "The saved settings of the analyzer could not be read; the defaults are used.";
    return state;
  }
  QStringList bad;
  state.geometry = s.value("window/geometry").toByteArray();
  SweepPlan plan;
  read_number(s, "plan/start_hz", plan.start_hz, bad);
  read_number(s, "plan/stop_hz", plan.stop_hz, bad);
  read_number(s, "plan/points", plan.points, bad);
  read_bool(s, "plan/logarithmic", plan.logarithmic, bad);
  read_number(s, "plan/range", plan.range, bad);
  read_number(s, "plan/pga", plan.pga, bad);
  read_number(s, "plan/settling_cycles", plan.settling_cycles, bad);
  read_number(s, "plan/feedback_ohm", plan.feedback_ohm, bad);
  if (plan_problem(plan).empty()) {
    state.plan = plan;
  } else {
    bad << "plan";
  }
  state.calibration_file = s.value("calibration/file").toString();
  for (const QString& text : s.value("markers/frequencies_hz").toStringList()) {
    bool ok = false;
    const double f = text.toDouble(&ok);
    if (ok && f > 0 && std::isfinite(f) && state.marker_frequencies_hz.size() < 8) {
      state.marker_frequencies_hz.push_back(f);
    } else {
      bad << "markers";
      break;
    }
  }
  int tab = 0;
  read_number(s, "view/tab", tab, bad);
  state.view_tab = tab >= 0 && tab <= 5 ? tab : 0;
  read_bool(s, "view/log_frequency", state.view.log_frequency, bad);
  read_bool(s, "view/log_magnitude", state.view.log_magnitude, bad);
  read_bool(s, "view/log_resistance", state.view.log_resistance, bad);
  int difference = 0;
  read_number(s, "view/difference", difference, bad);
  state.view.difference = difference >= 0 && difference <= 2 ? static_cast<DifferenceMode>(difference)
                                                             : DifferenceMode::percent_and_phase;
  if (!bad.isEmpty()) {
    bad.removeDuplicates();
    note = "Some saved settings of the analyzer were damaged and were reset to the defaults: " + bad.join(", ") + ".";
  }
  return state;
}

void save_analyzer_state(QSettings& s, const AnalyzerState& state) {
  s.setValue("window/geometry", state.geometry);
  s.setValue("plan/start_hz", state.plan.start_hz);
  s.setValue("plan/stop_hz", state.plan.stop_hz);
  s.setValue("plan/points", state.plan.points);
  s.setValue("plan/logarithmic", state.plan.logarithmic);
  s.setValue("plan/range", state.plan.range);
  s.setValue("plan/pga", state.plan.pga);
  s.setValue("plan/settling_cycles", state.plan.settling_cycles);
  s.setValue("plan/feedback_ohm", state.plan.feedback_ohm);
  s.setValue("calibration/file", state.calibration_file);
  QStringList markers;
  for (double f : state.marker_frequencies_hz) markers << QString::number(f, 'g', 17);
  s.setValue("markers/frequencies_hz", markers);
  s.setValue("view/tab", state.view_tab);
  s.setValue("view/log_frequency", state.view.log_frequency);
  s.setValue("view/log_magnitude", state.view.log_magnitude);
  s.setValue("view/log_resistance", state.view.log_resistance);
  s.setValue("view/difference", static_cast<int>(state.view.difference));
  s.sync();
}

}  // namespace quelnor::gui::analyzer
