// quelnor-eval calibrate: measures a known reference with one or more range/PGA
// combinations and writes (or adds to) a calibration file.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "cli/plan_options.h"

namespace quelnor::cli {

struct CalibrateOptions {
  std::string board = "sim";
  std::string reference;
  std::string range = "all";  // 1..4 or all
  std::string pga = "all";    // 1, 5 or all
  std::string rfb = "100k";
  std::string out;
  bool append = false;
  std::string trace;
  std::optional<std::string> dut;  // virtual board only; defaults to the reference
  PlanOptions plan;
  std::string executable_dir;  // firmware image; empty: the program's folder
};

// Returns the exit code: 0 success; 1 with a one-line reason on err otherwise.
int run_calibrate(const CalibrateOptions& options, std::ostream& out, std::ostream& err);

// Adds the calibrate subcommand with its options to app; its callback runs it, writes
// results to std::cout and messages to std::cerr, and sets exit_code (0 = success).
void add_calibrate_command(CLI::App& app, int& exit_code);

}  // namespace quelnor::cli
