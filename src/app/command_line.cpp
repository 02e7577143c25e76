// Reading the command line.
#include "app/command_line.h"

#include "sim/virtual_board.h"

namespace quelnor::app {

CommandLine parse_command_line(const std::vector<std::string>& args, BoardKind default_board) {
  CommandLine cl;
  cl.options.board = default_board;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      cl.help = true;
    } else if (arg == "--version") {
      cl.version = true;
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
  return "usage: quelnor-eval [--board sim|usb[:PATH]] [--script FILE|-] [--trace FILE] [--help] [--version]\n"
         "  --board sim     the virtual board (a simulated board and chip)\n"
         "  --board usb     the evaluation board on USB (usb:PATH: the one at that port path,\n"
         "                  as quelnor-eval boards lists them, e.g. usb:1-4.2)\n"
         "  --script FILE   run an operator script headless (- reads standard input)\n"
         "  --trace FILE    write every chip register access to FILE, one line each\n"
         "  --version       print the program's version\n"
         "Without --script the window opens; with no display a demonstration script runs\n"
         "headless on the virtual board instead.\n"
         "\n"
         "Script lines (blank lines and lines starting with # are skipped):\n"
         "  set NAME TEXT        the text box gets TEXT (cut to its maximum length)\n"
         "  leave NAME           the text box loses the focus\n"
         "  click NAME           press a button or select an option button\n"
         "  check NAME           tick a check box; uncheck NAME unticks it\n"
         "  answer OK|Retry|Cancel   answer for the next message box offering it\n"
         "  save PATH            path for the next save dialog; save-cancel cancels it\n"
         "  pump N COMMAND...    run COMMAND at the N-th servicing of input from now\n"
         "  dut EXPR             impedance under test of the virtual board, e.g. R200k||C15p\n"
         "  fault NAME ARGS...   inject or clear a fault of the virtual board\n"
         "  show NAME            print a control's state; show FormN prints its visibility\n"
         "Names are the controls' names (Text1, Command2, Option7, Strip1, ...); help-page\n"
         "controls are qualified with their window (Form5.Command3).\n"
         "Leading answer, dut and fault lines act before start-up.\n"
         "\n"
         "Faults of the virtual board:\n" +
         sim::VirtualBoard::fault_help();
}

}  // namespace quelnor::app
