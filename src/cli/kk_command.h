// The "kk" subcommand: the linear Kramers-Kronig test of an impedance file, printing M,
// mu, the largest residuals and the verdict.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>

namespace quelnor::cli {

struct KkCommandOptions {
  std::string file;
  std::string fit = "complex";  // complex, real or imag
  double cutoff = 0.85;
  bool no_inductance = false;
  bool capacitance = false;
  double limit_percent = 0.5;  // residual above which a point fails, % of |Z|
  bool strict_mu = false;
  bool json = false;
};

// Exit codes: 0 valid, 2 invalid (the failing frequencies are named), 1 not tested (bad
// file or options).
int run_kk_command(const KkCommandOptions& options, std::ostream& out, std::ostream& err);

// Adds the kk subcommand with its options to app; its callback runs it, writes results
// to std::cout and messages to std::cerr, and sets exit_code (0 = success).
void add_kk_command(CLI::App& app, int& exit_code);

}  // namespace quelnor::cli
