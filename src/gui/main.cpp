// quelnor-eval: the window; the command line's subcommands and the headless
// operator-script runner run in the cli layer.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/demonstration.h"
#include "app/script_runner.h"
#include "cli/program.h"
#ifdef QUELNOR_HAVE_QT_WINDOW
#include <QApplication>
#include <memory>

#include "cli/opened_board.h"
#include "gui/analyzer/engine_source.h"
#include "gui/analyzer/run_analyzer.h"
#include "gui/run_window.h"
#include "gui/virtual_board_panel.h"
#endif

namespace {

using quelnor::app::BoardKind;

bool display_available() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

#ifdef QUELNOR_HAVE_QT_WINDOW
// The analyzer window on the engine, with the virtual board's panel beside it on that board.
int run_analyzer_window(const quelnor::cli::AnalyzerOptions& options, int argc, char** argv) {
  QApplication qt_application(argc, argv);
  const quelnor::cli::BoardRequest request =
      quelnor::cli::analyzer_board_request(options, quelnor::cli::program_dir());
  std::unique_ptr<quelnor::gui::analyzer::EngineSource> source;
  try {
    source = std::make_unique<quelnor::gui::analyzer::EngineSource>(
        [request] { return std::make_unique<quelnor::cli::OpenedBoard>(request); });
  } catch (const std::exception& e) {
    std::cerr << "quelnor-eval analyzer: " << e.what() << '\n';
    return 1;
  }
  std::unique_ptr<quelnor::gui::VirtualBoardPanel> panel;
  if (quelnor::sim::VirtualBoard* board = source->virtual_board()) {
    panel = std::make_unique<quelnor::gui::VirtualBoardPanel>(*board);
  }
  return quelnor::gui::analyzer::run_analyzer(*source, panel.get());
}
#endif

#ifdef QUELNOR_HAVE_LIBUSB
constexpr BoardKind default_board = BoardKind::usb;
#else
constexpr BoardKind default_board = BoardKind::sim;
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Every subcommand and the script runner run inside; what is left is the window.
  quelnor::cli::ProgramRequest request =
      quelnor::cli::run_command_line(args, default_board, std::cin, std::cout, std::cerr);
  if (request.window == quelnor::cli::Window::none) return request.exit_code;
  if (request.window == quelnor::cli::Window::analyzer) {
#ifdef QUELNOR_HAVE_QT_WINDOW
    if (display_available()) return run_analyzer_window(request.analyzer, argc, argv);
    std::cerr << "quelnor-eval analyzer: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                 "the analyzer is a window. For measurements without one use quelnor-eval measure.\n";
#else
    std::cerr << "quelnor-eval analyzer: this build has no window; use quelnor-eval measure.\n";
#endif
    return 1;
  }
  quelnor::app::ApplicationOptions& options = request.options;

#ifdef QUELNOR_HAVE_QT_WINDOW
  if (display_available()) {
    try {
      return quelnor::gui::run_window(options, argc, argv);
    } catch (const std::exception& e) {
      // Only what stops the program from starting gets here (no backend, no trace file):
      // every handler runs under its own guard.
      std::cerr << "quelnor-eval: " << e.what() << '\n';
      return quelnor::app::script_error;
    }
  }
  std::cout << "No display found: DISPLAY and WAYLAND_DISPLAY are unset.\n";
#else
  std::cout << "This build has no window.\n";
#endif
  return quelnor::app::run_demonstration(options, std::cout, std::cerr);
}
