// The kk subcommand: verdicts and exit codes for valid and drifted data, the JSON
// object's arrays, and the options as the command line passes them.
#include "cli/kk_command.h"

#include <gtest/gtest.h>

#include <iostream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/synthetic_spectrum.h"
#include "cli/captured_cout.h"
#include "cli/spectrum_file.h"

namespace quelnor::cli {
namespace {

using analysis::testing::synthetic_spectrum;

analysis::Spectrum randles(bool drifted) {
  std::mt19937_64 random(21);
  analysis::Spectrum s = synthetic_spectrum("R100+(R1k||Q(10u,0.85))", 1, 1e5, 60, 0.0005, &random);
  if (drifted) {
    for (std::size_t i = 0; i < s.points.size(); ++i) {
      s.points[i].impedance_ohm *= 1.0 + 0.1 * static_cast<double>(i) / s.points.size();
    }
  }
  return s;
}

class KkCommand : public ::testing::Test {
 protected:
  int run(const KkCommandOptions& options) {
    out.str("");
    err.str("");
    return run_kk_command(options, out, err);
  }

  testing::SpectrumFile valid{randles(false), "kk_valid"};
  testing::SpectrumFile drifted{randles(true), "kk_drifted"};
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(KkCommand, ValidDataPrintMMuResidualsAndTheVerdict) {
  KkCommandOptions options;
  options.file = valid.path();
  EXPECT_EQ(run(options), 0);
  std::istringstream text(out.str());
  std::string line;
  std::getline(text, line);
  EXPECT_EQ(line.substr(0, 4), "M = ");
  std::getline(text, line);
  EXPECT_EQ(line.substr(0, 5), "mu = ");
  std::getline(text, line);
  EXPECT_EQ(line.substr(0, 24), "largest residual: real 0");
  std::getline(text, line);
  EXPECT_EQ(line.substr(0, 17), "noise estimate = ");
  std::getline(text, line);
  EXPECT_EQ(line.substr(0, 7), "valid: ");
}

TEST_F(KkCommand, DriftedDataFailWithTheirFrequenciesInJson) {
  KkCommandOptions options;
  options.file = drifted.path();
  options.json = true;
  EXPECT_EQ(run(options), 2);
  const nlohmann::json r = nlohmann::json::parse(out.str());
  EXPECT_EQ(r["valid"], false);
  EXPECT_FALSE(r["failing_frequencies_hz"].empty());
  for (const char* key :
       {"frequency_hz", "z_fit_real", "z_fit_imag", "residuals_real", "residuals_imag"}) {
    EXPECT_EQ(r[key].size(), 60u) << key;
  }
  EXPECT_GE(r["m"].get<int>(), 1);
  EXPECT_GT(r["max_residual_real"].get<double>(), 0.005);
  EXPECT_EQ(r["verdict"].get<std::string>().substr(0, 8), "invalid:");
  EXPECT_EQ(r["fit"], "complex");
}

TEST_F(KkCommand, OptionsReachTheTestThroughTheCommandLine) {
  CLI::App app;
  int exit_code = -1;
  add_kk_command(app, exit_code);
  nlohmann::json result;
  {
    testing::CapturedCout captured;
    // Arguments reversed, as CLI11 takes a vector.
    app.parse(std::vector<std::string>{"--json", "--capacitance", "--no-inductance", "--strict-mu",
                                       "50", "--limit", "0.8", "--c", "real", "--fit",
                                       drifted.path(), "kk"});
    result = nlohmann::json::parse(captured.text());
  }
  EXPECT_EQ(exit_code, 0);  // a 50 % limit lets the drift pass
  const nlohmann::json& r = result;
  EXPECT_EQ(r["fit"], "real");
  EXPECT_DOUBLE_EQ(r["cutoff"].get<double>(), 0.8);
  EXPECT_DOUBLE_EQ(r["residual_limit"].get<double>(), 0.5);
  EXPECT_LE(r["mu"].get<double>(), 0.8);

  CLI::App bad;
  add_kk_command(bad, exit_code);
  EXPECT_THROW(bad.parse(std::vector<std::string>{"imaginary", "--fit", valid.path(), "kk"}),
               CLI::ValidationError);
}

TEST_F(KkCommand, ErrorsGiveExitCodeOneAndAMessage) {
  KkCommandOptions options;
  options.file = valid.path() + ".missing";
  EXPECT_EQ(run(options), 1);
  EXPECT_EQ(err.str(), "kk: cannot read '" + valid.path() + ".missing': no such file\n");
  options.file = valid.path();
  options.cutoff = 0.0;
  EXPECT_EQ(run(options), 1);
  EXPECT_EQ(err.str(), "kk: the cutoff c must be above 0 and at most 1\n");
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace quelnor::cli
