// Command-line Kramers-Kronig test: text lines for people, one JSON object for scripts.
#include "cli/kk_command.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "analysis/engineering_format.h"
#include "analysis/impedance_file.h"
#include "analysis/lin_kk.h"

namespace quelnor::cli {
namespace {

void print_json(const analysis::KkResult& r, const analysis::KkOptions& options,
                std::ostream& out) {
  nlohmann::json fit_real = nlohmann::json::array();
  nlohmann::json fit_imag = nlohmann::json::array();
  for (const auto& z : r.fitted_impedance_ohm) {
    fit_real.push_back(z.real());
    fit_imag.push_back(z.imag());
  }
  const nlohmann::json result = {
      {"m", r.m},
      {"mu", r.mu},
      {"max_residual_real", r.max_residual_real},
      {"max_residual_imag", r.max_residual_imag},
      {"noise_estimate", r.noise_estimate},
      {"valid", r.valid},
      {"verdict", r.verdict},
      {"failing_frequencies_hz", r.failing_frequencies_hz},
      {"fit", analysis::kk_fit_mode_name(options.mode)},
      {"cutoff", options.cutoff},
      {"residual_limit", options.residual_limit},
      {"frequency_hz", r.frequency_hz},
      {"z_fit_real", fit_real},
      {"z_fit_imag", fit_imag},
      {"residuals_real", r.residual_real},
      {"residuals_imag", r.residual_imag},
      {"notes", r.notes},
      {"warnings", r.warnings},
  };
  out << result.dump(2) << '\n';
}

void print_text(const analysis::KkResult& r, std::ostream& out, std::ostream& err) {
  char line[160];
  std::snprintf(line, sizeof line, "M = %d\nmu = %.3f\n", r.m, r.mu);
  out << line;
  out << "largest residual: real " << analysis::percent_text(r.max_residual_real) << ", imaginary "
      << analysis::percent_text(r.max_residual_imag) << " of |Z|\n";
  out << "noise estimate = " << analysis::percent_text(r.noise_estimate) << " of |Z|\n";
  out << r.verdict << '\n';
  for (const std::string& note : r.notes) err << "kk: note: " << note << '\n';
  for (const std::string& warning : r.warnings) err << "kk: warning: " << warning << '\n';
}

}  // namespace

int run_kk_command(const KkCommandOptions& options, std::ostream& out, std::ostream& err) {
  try {
    analysis::KkOptions kk;
    kk.mode = analysis::kk_fit_mode_from_name(options.fit);
    kk.cutoff = options.cutoff;
    kk.inductance = !options.no_inductance;
    kk.capacitance = options.capacitance;
    kk.residual_limit = options.limit_percent / 100.0;
    kk.strict_mu = options.strict_mu;
    const analysis::Spectrum spectrum = analysis::read_impedance_file(options.file);
    const analysis::KkResult result = analysis::lin_kk(spectrum, kk);
    if (options.json) {
      print_json(result, kk, out);
    } else {
      print_text(result, out, err);
    }
    return result.valid ? 0 : 2;
  } catch (const std::invalid_argument& error) {
    err << "kk: " << error.what() << '\n';
    return 1;
  }
}

void add_kk_command(CLI::App& app, int& exit_code) {
  CLI::App* command = app.add_subcommand(
      "kk",
      "Linear Kramers-Kronig test of an impedance file: are the data those of a linear, "
      "stable system that did not change during the sweep? Exit code 0: valid; 2: invalid; "
      "1: error.");
  auto options = std::make_shared<KkCommandOptions>();
  command->add_option("file", options->file, "impedance data file")->required();
  command
      ->add_option("--fit", options->fit,
                   "part of the data the RC chain is fitted to: complex, real or imag")
      ->check(CLI::IsMember({"complex", "real", "imag"}));
  command
      ->add_option("--c", options->cutoff,
                   "cutoff for mu: RC elements are added until mu falls to it (default 0.85)")
      ->check(CLI::Range(0.01, 1.0));
  command->add_flag("--no-inductance", options->no_inductance, "no series inductance in the model");
  command->add_flag("--capacitance", options->capacitance,
                    "a series capacitance in the model (data with a blocking capacitor)");
  command
      ->add_option("--limit", options->limit_percent,
                   "residual in % of |Z| above which a point fails (default 0.5)")
      ->check(CLI::Range(0.0001, 100.0));
  command->add_flag("--strict-mu", options->strict_mu,
                    "stop at the first M whose mu reaches the cutoff, as the published "
                    "procedure does");
  command->add_flag("--json", options->json, "print one JSON object");
  command->callback(
      [options, &exit_code] { exit_code = run_kk_command(*options, std::cout, std::cerr); });
}

}  // namespace quelnor::cli
