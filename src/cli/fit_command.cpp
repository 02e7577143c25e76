// Command-line equivalent-circuit fit: text lines for people, one JSON object for scripts.
#include "cli/fit_command.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "analysis/circuit_fit.h"
#include "analysis/engineering_format.h"
#include "analysis/impedance_file.h"
#include "circuit/circuit_expression.h"

namespace quelnor::cli {
namespace {

// Standard error as a percentage of the value, two significant digits: "0.31 %".
std::string relative_error_text(const analysis::FittedParameter& p) {
  if (std::isinf(p.standard_error)) return "not determined";
  if (std::isnan(p.standard_error)) return "unknown";
  return analysis::percent_text(p.standard_error / std::fabs(p.value));
}

nlohmann::json matrix_json(const Eigen::MatrixXd& m) {
  nlohmann::json rows = nlohmann::json::array();
  for (Eigen::Index i = 0; i < m.rows(); ++i) {
    nlohmann::json row = nlohmann::json::array();
    for (Eigen::Index j = 0; j < m.cols(); ++j) row.push_back(m(i, j));  // NaN: null
    rows.push_back(std::move(row));
  }
  return rows;
}

void print_json(const analysis::FitResult& fit, analysis::Weighting weighting, std::ostream& out) {
  nlohmann::json parameters = nlohmann::json::array();
  for (const analysis::FittedParameter& p : fit.parameters) {
    // An undetermined or unknown error is null: JSON has no infinity.
    nlohmann::json error = std::isfinite(p.standard_error) ? nlohmann::json(p.standard_error)
                                                           : nlohmann::json(nullptr);
    parameters.push_back(
        {{"name", p.name}, {"value", p.value}, {"stderr", error}, {"unit", p.unit}});
  }
  const nlohmann::json result = {
      {"parameters", parameters},
      {"chi_square", fit.chi_square},
      {"rms_relative_residual", fit.rms_relative_residual},
      {"weighting", analysis::weighting_name(weighting)},
      {"converged", fit.converged},
      {"warnings", fit.warnings},
      {"covariance", matrix_json(fit.covariance)},
      {"correlation", matrix_json(fit.correlation)},
  };
  out << result.dump(2) << '\n';
}

void print_text(const analysis::FitResult& fit, std::ostream& out, std::ostream& err) {
  for (const analysis::FittedParameter& p : fit.parameters) {
    out << p.name << " = " << analysis::engineering_text(p.value, p.unit, 5, analysis::TrailingZeros::kept) << " ± "
        << relative_error_text(p) << '\n';
  }
  char line[96];
  std::snprintf(line, sizeof line, "χ² = %.4g\n", fit.chi_square);
  out << line;
  std::snprintf(line, sizeof line, "RMS relative residual = %.2g %%\n",
                100.0 * fit.rms_relative_residual);
  out << line;
  for (const std::string& warning : fit.warnings) err << "fit: warning: " << warning << '\n';
}

}  // namespace

int run_fit_command(const FitCommandOptions& options, std::ostream& out, std::ostream& err) {
  try {
    analysis::FitOptions fit_options;
    fit_options.weighting = analysis::weighting_from_name(options.weighting);
    const auto circuit = circuit::CircuitExpression::parse(options.circuit);
    const analysis::Spectrum spectrum = analysis::read_impedance_file(options.file);
    const analysis::FitResult fit = analysis::fit_circuit(circuit, spectrum, fit_options);
    if (options.json) {
      print_json(fit, fit_options.weighting, out);
    } else {
      print_text(fit, out, err);
    }
    return fit.converged ? 0 : 2;
  } catch (const std::invalid_argument& error) {
    err << "fit: " << error.what() << '\n';
    return 1;
  }
}

void add_fit_command(CLI::App& app, int& exit_code) {
  CLI::App* command = app.add_subcommand(
      "fit",
      "Fit the named parameters of a circuit to an impedance file (measurement CSV, the "
      "classic window's export, or frequency,real,imaginary). Exit code 0: fitted; 1: "
      "error; 2: the fit did not converge.");
  auto options = std::make_shared<FitCommandOptions>();
  command
      ->add_option("--circuit", options->circuit,
                   "circuit with start values, e.g. \"R0=100+(R1=1k||Q1=(10u,0.9))\"; R C L "
                   "W Q elements, + series, || parallel")
      ->required();
  command->add_option("file", options->file, "impedance data file")->required();
  command
      ->add_option("--weight", options->weighting,
                   "weighting of the residuals: modulus (1/|Z|), unit or proportional")
      ->check(CLI::IsMember({"modulus", "unit", "proportional"}));
  command->add_flag("--json", options->json, "print one JSON object");
  command->callback(
      [options, &exit_code] { exit_code = run_fit_command(*options, std::cout, std::cerr); });
}

}  // namespace quelnor::cli
