// The calibrate subcommand.
#include "cli/calibrate_command.h"

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "cli/opened_board.h"
#include "cli/si_value.h"
#include "instrument/calibration_file.h"
#include "instrument/engine.h"
#include "instrument/reference_impedance.h"

namespace quelnor::cli {
namespace {

std::vector<int> choices(const std::string& text, const std::string& option,
                         const std::vector<int>& allowed, const std::string& all_word) {
  if (text == all_word) return allowed;
  for (const int value : allowed) {
    if (text == std::to_string(value)) return {value};
  }
  std::string list;
  for (const int value : allowed)
    list += std::to_string(value) + (value == allowed.back() ? "" : ", ");
  throw std::invalid_argument(option + " takes " + list + " or " + all_word + ", not \"" + text +
                              "\"");
}

}  // namespace

int run_calibrate(const CalibrateOptions& o, std::ostream&, std::ostream& err) {
  const std::string name = "quelnor-eval calibrate: ";
  try {
    // Read first, so a malformed --board leaves every file as it was.
    BoardRequest request = board_request(o.board);
    const std::vector<int> ranges = choices(o.range, "--range", {1, 2, 3, 4}, "all");
    const std::vector<int> gains = choices(o.pga, "--pga", {1, 5}, "all");
    std::vector<instrument::Combination> combinations;
    for (const int pga : gains) {
      for (const int range : ranges) combinations.push_back({range, pga});
    }
    const instrument::SweepPlan plan = build_plan(o.plan, ranges.front(), gains.front(), false);
    const double rfb_ohm = si_number(o.rfb, "--rfb");
    if (!(rfb_ohm > 0.0)) throw std::invalid_argument("--rfb must be above 0 ohms");
    try {
      instrument::check_circuit(o.reference);
    } catch (const std::invalid_argument& e) {
      throw std::invalid_argument("--reference " + o.reference + ": " + e.what());
    }

    instrument::CalibrationSet set;
    std::error_code ec;
    if (o.append && std::filesystem::exists(o.out, ec)) {
      set = instrument::load_calibration(o.out);
      if (set.feedback_resistance_ohm != rfb_ohm) {
        throw std::invalid_argument(o.out + " was taken with a " +
                                    std::to_string(set.feedback_resistance_ohm) +
                                    " ohm feedback resistor; --rfb says otherwise");
      }
    }

    request.trace_path = o.trace;
    request.executable_dir = o.executable_dir.empty() ? program_dir() : o.executable_dir;
    request.feedback_resistance_ohm = rfb_ohm;
    if (o.dut) {
      request.dut = o.dut;
    } else if (request.kind == "sim") {
      request.dut = o.reference;
    }
    OpenedBoard board(request);
    const instrument::CalibrationOutcome outcome =
        instrument::calibrate(board.access(), plan, o.reference, combinations, set);
    if (!outcome.failure.empty()) {
      err << name << outcome.failure << '\n';
      return 1;
    }
    for (const std::string& kept : outcome.kept) err << "quelnor-eval: calibrated " << kept << '\n';
    for (const std::string& skipped : outcome.skipped)
      err << "quelnor-eval: skipped " << skipped << '\n';
    if (outcome.kept.empty()) {
      err << name << "no range/PGA combination had a usable signal with " << o.reference
          << "; nothing written\n";
      return 1;
    }
    instrument::save_calibration(set, o.out);
    err << "quelnor-eval: wrote " << o.out << " (" << set.entries.size() << " range/PGA entries)\n";
    return 0;
  } catch (const std::exception& e) {
    err << name << e.what() << '\n';
    return 1;
  }
}

void add_calibrate_command(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<CalibrateOptions>();
  CLI::App* command = app.add_subcommand(
      "calibrate", "measure a known reference and write or extend a calibration file");
  command->add_option("--board", options->board,
                      "sim (virtual board, default), usb (the first board) or usb:PATH");
  command
      ->add_option("--reference", options->reference,
                   "the reference as a circuit expression, e.g. R100k or R100k||C22p")
      ->required();
  command->add_option("--range", options->range, "excitation range 1 to 4, or all (default)");
  command->add_option("--pga", options->pga, "PGA gain 1 or 5, or all (default)");
  command->add_option("--rfb", options->rfb, "the board's feedback resistor (default 100k)");
  command->add_option("--out", options->out, "the calibration file to write")->required();
  command->add_flag("--append", options->append,
                    "add to the calibration file instead of replacing it");
  command->add_option("--trace", options->trace, "write every register access to FILE");
  command->add_option("--dut", options->dut,
                      "virtual board: the impedance connected (default: the reference)");
  add_plan_options(*command, options->plan);
  command->callback(
      [options, &exit_code] { exit_code = run_calibrate(*options, std::cout, std::cerr); });
}

}  // namespace quelnor::cli
