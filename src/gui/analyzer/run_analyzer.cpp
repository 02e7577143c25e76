// The analyzer's entry point for main().
#include "gui/analyzer/run_analyzer.h"

#include <QApplication>

#include "gui/analyzer/analyzer_window.h"

namespace quelnor::gui::analyzer {

int run_analyzer(MeasurementSource& source) {
  AnalyzerWindow window(source);
  window.show();
  return QApplication::exec();
}

}  // namespace quelnor::gui::analyzer
