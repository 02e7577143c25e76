// The measure subcommand.
#include "cli/measure_command.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "analysis/measurement_file_writer.h"
#include "cli/interrupt.h"
#include "cli/opened_board.h"
#include "cli/progress_bar.h"
#include "instrument/calibration_file.h"
#include "instrument/engine.h"

namespace quelnor::cli {
namespace {

int choice(const std::string& text, const std::string& option, const std::vector<int>& allowed) {
  if (text == "auto") return instrument::auto_select;
  for (const int value : allowed) {
    if (text == std::to_string(value)) return value;
  }
  std::string list;
  for (const int value : allowed)
    list += std::to_string(value) + (value == allowed.back() ? "" : ", ");
  throw std::invalid_argument(option + " takes " + list + " or auto, not \"" + text + "\"");
}

}  // namespace

int run_measure(const MeasureOptions& o, std::ostream& out, std::ostream& err) {
  const std::string name = "quelnor-eval measure: ";
  try {
    // Read first, so a malformed --board leaves every file as it was.
    BoardRequest request = board_request(o.board);
    const int range = choice(o.range, "--range", {1, 2, 3, 4});
    const int pga = choice(o.pga, "--pga", {1, 5});
    if (o.repeat < 0) throw std::invalid_argument("--repeat must be 0 (until interrupted) or more");
    // A segment file keeps its own choices unless --range or --pga say otherwise.
    const bool keep_segment_choice = o.range == "auto" && o.pga == "auto";
    const instrument::SweepPlan plan = build_plan(o.plan, range, pga, keep_segment_choice);
    std::optional<instrument::CalibrationSet> calibration;
    if (!o.calibration.empty()) calibration = instrument::load_calibration(o.calibration);

    request.trace_path = o.trace;
    request.executable_dir = o.executable_dir.empty() ? program_dir() : o.executable_dir;
    // The board is taken to have the resistor it was calibrated with.
    if (calibration) request.feedback_resistance_ohm = calibration->feedback_resistance_ohm;
    request.dut = o.dut;
    OpenedBoard board(request);

    // Opened once the board is, so that a board or --dut refused leaves an earlier file
    // of that name as it was.
    std::ofstream file;
    if (!o.out.empty()) {
      file.open(o.out, std::ios::binary | std::ios::trunc);
      if (!file) throw std::runtime_error("cannot write " + o.out);
    }

    // Told before the run, so a long run on an unsuitable calibration can be stopped early.
    std::vector<std::string> told;
    if (calibration) {
      told =
          instrument::calibration_mismatches(plan, *calibration, request.feedback_resistance_ohm);
      for (const std::string& warning : told) err << "quelnor-eval: warning: " << warning << '\n';
    }

    InterruptWatch interrupt;
    std::size_t total = 0;
    for (const instrument::SweepSegment& s : plan.segments)
      total += static_cast<std::size_t>(s.points);
    ProgressBar progress(err, &err == &std::cerr && stderr_is_terminal(),
                         o.repeat == 0 ? 0 : total * static_cast<std::size_t>(o.repeat));
    instrument::RunControl control;
    control.passes = o.repeat;
    control.cancel = o.cancel != nullptr ? o.cancel : &interrupt.flag();
    control.on_point = [&progress](const analysis::SpectrumPoint&) { progress.step(); };
    instrument::Measurement m =
        instrument::measure(board.access(), plan, calibration ? &*calibration : nullptr, control);
    m.spectrum.metadata.emplace_back("calibration", o.calibration.empty() ? "none" : o.calibration);
    if (calibration)
      m.spectrum.metadata.emplace_back("calibration_taken_at", calibration->taken_at);
    for (const std::string& warning : m.spectrum.warnings) {
      if (std::find(told.begin(), told.end(), warning) == told.end()) {
        err << "quelnor-eval: warning: " << warning << '\n';
      }
    }

    std::ostream& sink = o.out.empty() ? out : file;
    analysis::write_measurement_file(sink, m.spectrum);
    sink.flush();
    if (!sink)
      throw std::runtime_error("writing " + (o.out.empty() ? std::string("the output") : o.out) +
                               " failed");
    if (!m.failure.empty()) {
      err << name << m.failure << '\n';
      return 1;
    }
    if (m.spectrum.partial)
      err << "quelnor-eval: stopped; " << m.spectrum.points.size() << " rows kept\n";
    return 0;
  } catch (const std::exception& e) {
    err << name << e.what() << '\n';
    return 1;
  }
}

void add_measure_command(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<MeasureOptions>();
  CLI::App* command =
      app.add_subcommand("measure", "run a sweep plan and write a measurement file (CSV)");
  command->add_option("--board", options->board,
                      "sim (virtual board, default), usb (the first board) or usb:PATH");
  command->add_option("--calibration", options->calibration, "the calibration file to apply");
  command->add_option("--range", options->range, "excitation range 1 to 4, or auto (default)");
  command->add_option("--pga", options->pga, "PGA gain 1 or 5, or auto (default)");
  command->add_option("--repeat", options->repeat, "run the plan N times; 0 = until Ctrl-C");
  command->add_option("--out", options->out, "the CSV file to write (default: standard output)");
  command->add_option("--trace", options->trace, "write every register access to FILE");
  command->add_option("--dut", options->dut,
                      "virtual board: the impedance under test, e.g. R10k||C1n");
  add_plan_options(*command, options->plan);
  command->callback(
      [options, &exit_code] { exit_code = run_measure(*options, std::cout, std::cerr); });
}

}  // namespace quelnor::cli
