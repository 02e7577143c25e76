// quelnor-analyzer-demo: the analyzer window on the demo source, for looking at it and
// for tests; never shipped. Usage: quelnor-analyzer-demo [CIRCUIT] [PAUSE_MS_PER_POINT]
#include <QApplication>
#include <QMessageBox>
#include <chrono>
#include <cstdlib>
#include <string>

#include "gui/analyzer/demo_source.h"
#include "gui/analyzer/run_analyzer.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const std::string circuit = argc > 1 ? argv[1] : "R10k||C1n";
  const long pause_ms = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 5;
  try {
    quelnor::gui::analyzer::DemoSource source(circuit, std::chrono::milliseconds(pause_ms));
    return quelnor::gui::analyzer::run_analyzer(source);
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "Quelnor analyzer demo", e.what());
    return 2;
  }
}
