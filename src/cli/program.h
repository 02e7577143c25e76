// The whole command line of quelnor-eval: the classic options (--board, --script, --trace,
// --help, --version) and the subcommands, parsed by CLI11. Everything that needs no window
// runs here; what is left for main is which window to open.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/application.h"
#include "cli/analyzer_command.h"

namespace quelnor::cli {

enum class Window { none, classic, analyzer };

struct ProgramRequest {
  Window window = Window::none;     // classic: open the classic window with `options`
  app::ApplicationOptions options;  // executable_dir left for main to fill
  AnalyzerOptions analyzer;         // analyzer: its board, always "sim" or "usb"
  int exit_code = 0;                // with Window::none: what the program returns
};

// args: the arguments after the program name. default_board: the board without --board.
ProgramRequest run_command_line(const std::vector<std::string>& args, app::BoardKind default_board,
                                std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace quelnor::cli
