// Reading the command line.
#include "app/command_line.h"

namespace quelnor::app {

CommandLine parse_command_line(const std::vector<std::string>& args, BoardKind default_board) {
  CommandLine cl;
  cl.options.board = default_board;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      cl.help = true;
    } else if (arg == "--board" || arg == "--script" || arg == "--trace") {
      if (!has_value) {
        cl.error = arg + " needs a value";
        return cl;
      }
      const std::string& value = args[++i];
      if (arg == "--board") {
        if (value == "sim") {
          cl.options.board = BoardKind::sim;
        } else if (value == "usb") {
          cl.options.board = BoardKind::usb;
        } else {
          cl.error = "--board takes sim or usb, not \"" + value + "\"";
          return cl;
        }
      } else if (arg == "--script") {
        cl.script_path = value;
      } else {
        if (value.empty()) {
          cl.error = "--trace needs a file name";
          return cl;
        }
        cl.options.trace_path = value;
      }
    } else {
      cl.error = "unknown argument \"" + arg + "\"";
      return cl;
    }
  }
  return cl;
}

std::string usage_text() {
  return "usage: quelnor-eval [--board sim|usb] [--script FILE|-] [--trace FILE] [--help]\n"
         "  --board sim     the virtual board (a simulated board and chip)\n"
         "  --board usb     the evaluation board on USB\n"
         "  --script FILE   run an operator script headless (- reads standard input)\n"
         "  --trace FILE    write every chip register access to FILE, one line each\n"
         "Without --script the window opens; with no display a demonstration script runs\n"
         "headless on the virtual board instead.\n";
}

}  // namespace quelnor::app
