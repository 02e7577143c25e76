// The serve subcommand: the SCPI server on a TCP port over one board.
//   quelnor-eval serve [--board sim|usb[:PATH]] [--port 5025] [--listen ADDRESS] [--data-dir DIR]
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "remote/instrument_port.h"

namespace CLI {
class App;
}

namespace quelnor::cli {

struct ServeOptions {
  std::string board = "sim";
  int port = 5025;  // 0 picks a free port
  std::string listen = "127.0.0.1";
  std::string data_dir;  // empty: the user's data folder
};

// Opens the board that --board names ("sim", "usb" for the first one, "usb:PATH" for the
// one on that USB port path) as the engine's instrument; nullptr with the reason in error.
using InstrumentFactory = std::function<std::unique_ptr<remote::Instrument>(
    const std::string& board, std::string& error)>;

// Serves until SIGINT or SIGTERM. Returns 0 then, 1 when the board or the address cannot be
// used, 2 for a malformed option.
int run_serve(const ServeOptions& options, const InstrumentFactory& factory, std::ostream& out,
              std::ostream& err);

// Adds the serve subcommand; its callback runs run_serve with factory, writes messages to
// std::cerr and sets exit_code (0 = success).
void add_serve_command(CLI::App& app, int& exit_code, InstrumentFactory factory);

}  // namespace quelnor::cli
