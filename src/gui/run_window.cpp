// The windowed program.
#include "gui/run_window.h"

#include <QApplication>
#include <memory>

#include "gui/help_pictures.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_strip_chart.h"
#include "gui/virtual_board_panel.h"
#include "util/clock.h"

namespace quelnor::gui {

int run_window(const app::ApplicationOptions& options, int argc, char** argv) {
  QApplication qt_application(argc, argv);
  // The virtual-board panel is a window of its own; the program ends with the main window.
  qt_application.setQuitOnLastWindowClosed(false);

  QtDialogs dialogs;
  MainWindow window;
  std::unique_ptr<VirtualBoardPanel> panel;
  const auto render_views = [&] {
    window.render();
    if (panel) panel->refresh();
  };
  QtEventPump pump(render_views);
  dialogs.set_before_showing(render_views);
  util::SystemClock clock;
  app::ApplicationOptions running = options;
  // On the virtual board an operator waits as long as the chip would make them wait.
  if (running.board == app::BoardKind::sim) running.virtual_board_real_time = true;
  app::Application application(running, {clock, dialogs, pump, window.strip1(), window.strip2()});

  if (!application.start_up()) return 1;

  window.set_on_closed([] { QCoreApplication::quit(); });
  const std::string executable_dir = running.executable_dir;
  window.set_help_pictures([executable_dir] { return make_help_pictures(executable_dir); });
  window.bind(application);
  application.load();
  window.render();
  window.show();
  window.render();
  if (sim::VirtualBoard* board = application.virtual_board()) {
    panel = std::make_unique<VirtualBoardPanel>(*board);
    panel->move(window.frameGeometry().topRight() + QPoint(12, 0));
    panel->show();
  }
  return QApplication::exec();
}

}  // namespace quelnor::gui
