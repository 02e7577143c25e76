// quelnor-eval analyzer: asks main to open the analyzer window on the chosen board.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/opened_board.h"

namespace quelnor::cli {

struct AnalyzerOptions {
  std::string board;  // "sim" or "usb"; empty: the program's default board
  std::string trace;  // register trace file; empty: none
};

// Adds the analyzer subcommand; main opens the window when it was given.
CLI::App* add_analyzer_command(CLI::App& app, AnalyzerOptions& options);

// The board request the analyzer window opens (and reopens on Reconnect).
BoardRequest analyzer_board_request(const AnalyzerOptions& options, const std::string& executable_dir);

}  // namespace quelnor::cli
