// The analyzer subcommand.
#include "cli/analyzer_command.h"

namespace quelnor::cli {

CLI::App* add_analyzer_command(CLI::App& app, AnalyzerOptions& options) {
  CLI::App* command = app.add_subcommand(
      "analyzer", "open the impedance analyzer window (Bode, Nyquist, markers, memory traces)");
  command->add_option("--board", options.board, "sim (the virtual board) or usb")
      ->check(CLI::IsMember({"sim", "usb"}));
  command->add_option("--trace", options.trace, "write every register request to this file");
  return command;
}

BoardRequest analyzer_board_request(const AnalyzerOptions& options, const std::string& executable_dir) {
  BoardRequest request;
  request.kind = options.board.empty() ? "sim" : options.board;
  request.trace_path = options.trace;
  request.executable_dir = executable_dir;
  return request;
}

}  // namespace quelnor::cli
