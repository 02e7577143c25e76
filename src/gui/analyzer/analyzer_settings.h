// What the analyzer remembers between runs (this window only): geometry, the last plan,
// the last calibration file, the markers' frequencies and the views chosen.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <vector>

#include "gui/analyzer/sweep_plan.h"
#include "gui/analyzer/view_curves.h"

namespace quelnor::gui::analyzer {

struct AnalyzerState {
  QByteArray geometry;
  SweepPlan plan;
  QString calibration_file;
  std::vector<double> marker_frequencies_hz;
  int view_tab = 0;
  ViewSettings view;
};

// Reads the store; whatever is missing keeps its default, whatever is unreadable or out of
// range falls back to its default and is named in `note` (plain words, empty when all was
// well). Never throws.
AnalyzerState load_analyzer_state(QSettings& settings, QString& note);
void save_analyzer_state(QSettings& settings, const AnalyzerState& state);

}  // namespace quelnor::gui::analyzer
