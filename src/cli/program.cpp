// Parsing the program's command line and running the non-window parts.
#include "cli/program.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <fstream>
#include <istream>
#include <optional>

#include "app/command_line.h"
#include "app/script_runner.h"
#ifdef QUELNOR_HAVE_LIBUSB
#include "cli/boards_command.h"
#endif
#include "cli/board_option.h"
#include "cli/calibrate_command.h"
#include "cli/engine_instrument.h"
#include "cli/fit_command.h"
#include "cli/kk_command.h"
#include "cli/measure_command.h"
#include "cli/serve_command.h"
#include "cli/opened_board.h"
#include "util/version.h"

namespace quelnor::cli {

ProgramRequest run_command_line(const std::vector<std::string>& args, app::BoardKind default_board,
                                std::istream& in, std::ostream& out, std::ostream& err) {
  ProgramRequest request;
  request.options.board = default_board;
  CLI::App program("quelnor-eval: evaluation software for the Quelnor impedance converter board",
                   "quelnor-eval");
  // --help prints the classic usage with the subcommands; CLI11's own help stays on the
  // subcommands.
  program.set_help_flag();
  bool help = false;
  bool version = false;
  std::string board;
  std::optional<std::string> script;
  std::optional<std::string> trace;
  program.add_flag("-h,--help", help);
  program.add_flag("--version", version);
  program.add_option("--board", board);
  program.add_option("--script", script);
  program.add_option("--trace", trace);
  int exit_code = 0;
  add_calibrate_command(program, exit_code);
  add_measure_command(program, exit_code);
  add_fit_command(program, exit_code);
  add_kk_command(program, exit_code);
  add_serve_command(program, exit_code, open_engine_instrument);
#ifdef QUELNOR_HAVE_LIBUSB
  add_boards_command(program, exit_code);
#endif
  CLI::App* analyzer = add_analyzer_command(program, request.analyzer);
  for (CLI::App* command : program.get_subcommands([](CLI::App*) { return true; })) {
    command->set_help_flag("-h,--help", "print this help and exit");
  }

  const auto refuse = [&](const std::string& reason) {
    err << "quelnor-eval: " << reason << '\n' << app::usage_text();
    request.exit_code = app::script_error;
    return request;
  };
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    program.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    for (CLI::App* command : program.get_subcommands()) out << command->help();
    return request;
  } catch (const CLI::ParseError& e) {
    const std::string what = e.what();
    if (program.get_subcommands().empty()) return refuse(what);
    err << "quelnor-eval: " << what << "\nRun with --help for the options.\n";
    request.exit_code = app::script_error;
    return request;
  }
  if (analyzer->parsed()) {
    if (request.analyzer.board.empty()) request.analyzer.board = default_board == app::BoardKind::usb ? "usb" : "sim";
    request.window = Window::analyzer;
    return request;
  }
  if (!program.get_subcommands().empty()) {
    request.exit_code = exit_code;
    return request;
  }
  if (version) {
    out << "quelnor-eval " << util::program_version << '\n';
    return request;
  }
  if (help) {
    out << app::usage_text()
        << "\nSubcommands (quelnor-eval NAME --help for their options):\n"
           "  calibrate   measure a known reference and write or extend a calibration file\n"
           "  measure     run a sweep plan and write a measurement file (CSV)\n"
           "  fit         fit a circuit model to a measurement file\n"
           "  kk          check a measurement file with the Kramers-Kronig relations\n"
           "  analyzer    open the impedance analyzer window (--board sim|usb)\n"
           "  serve       SCPI server for lab automation (PyVISA, port 5025)\n";
    return request;
  }
  if (!board.empty() || program.count("--board") > 0) {
    try {
      const BoardChoice choice = parse_board_option(board);
      request.options.board = choice.usb ? app::BoardKind::usb : app::BoardKind::sim;
      request.options.usb_port_path = choice.port_path;
    } catch (const std::invalid_argument& e) {
      return refuse(e.what());
    }
  }
  if (trace) {
    if (trace->empty()) return refuse("--trace needs a file name");
    request.options.trace_path = *trace;
  }
  request.options.executable_dir = program_dir();
  if (script) {
    if (*script == "-") {
      request.exit_code = app::run_script(in, request.options, out, err);
      return request;
    }
    std::ifstream file(*script);
    if (!file) {
      err << "quelnor-eval: cannot read the script \"" << *script << "\"\n";
      request.exit_code = app::script_error;
      return request;
    }
    request.exit_code = app::run_script(file, request.options, out, err);
    return request;
  }
  request.window = Window::classic;
  return request;
}

}  // namespace quelnor::cli
