// Opens the analyzer window on a measurement source and runs until it is closed.
#pragma once

#include "gui/analyzer/measurement_source.h"

class QWidget;

namespace quelnor::gui::analyzer {

// Needs a QApplication; returns its exit code. `beside`, when given, is a window of its own
// (the virtual board's panel) shown to the right of the analyzer.
int run_analyzer(MeasurementSource& source, QWidget* beside = nullptr);

}  // namespace quelnor::gui::analyzer
