// The program's command line: quelnor-eval [--board sim|usb] [--script FILE|-]
// [--trace FILE] [--help] [--version].
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/application.h"

namespace quelnor::app {

struct CommandLine {
  ApplicationOptions options;
  std::optional<std::string> script_path;  // "-": standard input
  bool help = false;
  bool version = false;
  std::string error;  // not empty: the command line was refused, for this reason
};

// The arguments after the program name. default_board: the board when --board is absent.
CommandLine parse_command_line(const std::vector<std::string>& args, BoardKind default_board);

std::string usage_text();

}  // namespace quelnor::app
