// Opens the analyzer window on a measurement source and runs until it is closed.
#pragma once

#include "gui/analyzer/measurement_source.h"

namespace quelnor::gui::analyzer {

// Needs a QApplication; returns its exit code.
int run_analyzer(MeasurementSource& source);

}  // namespace quelnor::gui::analyzer
