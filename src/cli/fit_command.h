// The "fit" subcommand: fits a circuit expression's named parameters to an impedance file
// and prints each value with its standard error, chi-square and the residual.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>

namespace quelnor::cli {

struct FitCommandOptions {
  std::string circuit;  // e.g. "R0=100+(R1=1k||Q1=(10u,0.9))"
  std::string file;
  std::string weighting = "modulus";
  bool json = false;
};

// Exit codes: 0 fitted, 1 nothing fitted (bad circuit, file or options), 2 fitted but the
// solver did not converge (the last estimate is printed, with a warning).
int run_fit_command(const FitCommandOptions& options, std::ostream& out, std::ostream& err);

// Adds the fit subcommand with its options to app; its callback runs it, writes results
// to std::cout and messages to std::cerr, and sets exit_code (0 = success).
void add_fit_command(CLI::App& app, int& exit_code);

}  // namespace quelnor::cli
