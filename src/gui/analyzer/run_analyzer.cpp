// The analyzer's entry point for main().
#include "gui/analyzer/run_analyzer.h"

#include <QApplication>
#include <QScreen>
#include <algorithm>

#include "gui/analyzer/analyzer_window.h"

namespace quelnor::gui::analyzer {

int run_analyzer(MeasurementSource& source, QWidget* beside) {
  AnalyzerWindow window(source);
  window.show();
  if (beside != nullptr) {
    // The program ends with the analyzer, not with the last of its windows.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&window, &AnalyzerWindow::closed, [] { QCoreApplication::quit(); });
    beside->adjustSize();
    QPoint at = window.frameGeometry().topRight() + QPoint(12, 0);
    // On a narrow screen it overlaps the analyzer's right edge rather than leaving the screen.
    if (const QScreen* screen = window.screen()) {
      const QRect free = screen->availableGeometry();
      at.setX(std::max(free.left(), std::min(at.x(), free.right() - beside->frameGeometry().width())));
    }
    beside->move(at);
    beside->show();
  }
  return QApplication::exec();
}

}  // namespace quelnor::gui::analyzer
