// quelnor-eval: the window, or with --script the headless operator-script runner.
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/demonstration.h"
#include "app/script_runner.h"
#include "util/version.h"
#ifdef QUELNOR_HAVE_QT_WINDOW
#include "gui/run_window.h"
#endif

namespace {

using quelnor::app::BoardKind;

// The folder holding this program, where its firmware image lies.
std::string executable_dir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec).string();
  return exe.parent_path().string();
}

bool display_available() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

#ifdef QUELNOR_HAVE_LIBUSB
constexpr BoardKind default_board = BoardKind::usb;
#else
constexpr BoardKind default_board = BoardKind::sim;
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  quelnor::app::CommandLine cl = quelnor::app::parse_command_line(args, default_board);
  if (!cl.error.empty()) {
    std::cerr << "quelnor-eval: " << cl.error << '\n' << quelnor::app::usage_text();
    return quelnor::app::script_error;
  }
  if (cl.version) {
    std::cout << "quelnor-eval " << quelnor::util::program_version << '\n';
    return 0;
  }
  if (cl.help) {
    std::cout << quelnor::app::usage_text();
    return 0;
  }
  cl.options.executable_dir = executable_dir();

  if (cl.script_path) {
    if (*cl.script_path == "-") {
      return quelnor::app::run_script(std::cin, cl.options, std::cout, std::cerr);
    }
    std::ifstream file(*cl.script_path);
    if (!file) {
      std::cerr << "quelnor-eval: cannot read the script \"" << *cl.script_path << "\"\n";
      return quelnor::app::script_error;
    }
    return quelnor::app::run_script(file, cl.options, std::cout, std::cerr);
  }

#ifdef QUELNOR_HAVE_QT_WINDOW
  if (display_available()) {
    try {
      return quelnor::gui::run_window(cl.options, argc, argv);
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
  return quelnor::app::run_demonstration(cl.options, std::cout, std::cerr);
}
