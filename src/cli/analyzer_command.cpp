// The analyzer subcommand.
#include "cli/analyzer_command.h"

#include <stdexcept>

#include "cli/board_option.h"

namespace quelnor::cli {

CLI::App* add_analyzer_command(CLI::App& app, AnalyzerOptions& options) {
  CLI::App* command = app.add_subcommand(
      "analyzer", "open the impedance analyzer window (Bode, Nyquist, markers, memory traces)");
  command
      ->add_option("--board", options.board,
                   "sim (the virtual board), usb (the first board) or usb:PATH (the board at "
                   "that USB port path)")
      ->check([](const std::string& text) {
        try {
          parse_board_option(text);
          return std::string();
        } catch (const std::invalid_argument& e) {
          return std::string(e.what());
        }
      });
  command->add_option("--trace", options.trace, "write every register request to this file");
  return command;
}

BoardRequest analyzer_board_request(const AnalyzerOptions& options, const std::string& executable_dir) {
  BoardRequest request = board_request(options.board.empty() ? "sim" : options.board);
  // A person watches the window: the virtual board delivers points at the chip's pace.
  request.real_time = true;
  request.trace_path = options.trace;
  request.executable_dir = executable_dir;
  return request;
}

}  // namespace quelnor::cli
