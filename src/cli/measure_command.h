// quelnor-eval measure: runs a plan, optionally calibrated, and writes the measurement file.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "cli/plan_options.h"

namespace quelnor::cli {

struct MeasureOptions {
  std::string board = "sim";
  std::string calibration;     // empty: uncalibrated
  std::string range = "auto";  // 1..4 or auto
  std::string pga = "auto";    // 1, 5 or auto
  int repeat = 1;              // passes; 0 = until interrupted
  std::string out;             // empty: standard output
  std::string trace;
  std::optional<std::string> dut;
  PlanOptions plan;
  std::string executable_dir;                 // firmware image; empty: the program's folder
  const std::atomic<bool>* cancel = nullptr;  // tests; otherwise Ctrl-C stops the run
};

// Returns the exit code: 0 success; 1 with a one-line reason on err otherwise (the rows
// measured before a failure are still written).
int run_measure(const MeasureOptions& options, std::ostream& out, std::ostream& err);

// Adds the measure subcommand with its options to app; its callback runs it, writes
// results to std::cout and messages to std::cerr, and sets exit_code (0 = success).
void add_measure_command(CLI::App& app, int& exit_code);

}  // namespace quelnor::cli
