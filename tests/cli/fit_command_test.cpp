// The fit subcommand: its text and JSON output, its exit codes and messages, and its
// options as the command line passes them.
#include "cli/fit_command.h"

#include <gtest/gtest.h>

#include <iostream>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/synthetic_spectrum.h"
#include "cli/captured_cout.h"
#include "cli/spectrum_file.h"

namespace quelnor::cli {
namespace {

using analysis::testing::synthetic_spectrum;

class FitCommand : public ::testing::Test {
 protected:
  static analysis::Spectrum noisy_rc() {
    std::mt19937_64 random(11);
    return synthetic_spectrum("R100+(R10k||C100n)", 1, 1e5, 50, 0.0005, &random);
  }

  int run(const FitCommandOptions& options) {
    out.str("");
    err.str("");
    return run_fit_command(options, out, err);
  }

  testing::SpectrumFile file{noisy_rc(), "fit_rc"};
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(FitCommand, PrintsEachParameterWithItsErrorThenChiSquareAndResidual) {
  EXPECT_EQ(run({"R0=50+(R1=3k||C1=1u)", file.path()}), 0);
  std::vector<std::string> lines;
  std::istringstream text(out.str());
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 5u) << out.str();
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(R0 = (99|100)\.\d+ Ohm ± 0\.\d+ %)")))
      << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(R1 = (9\.99|10\.00)\d\d kOhm ± 0\.\d+ %)")))
      << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(C1 = (99\.9|100\.0)\d nF ± 0\.\d+ %)")))
      << lines[2];
  EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(χ² = \d\.\d+e-0\d)"))) << lines[3];
  EXPECT_TRUE(std::regex_match(lines[4], std::regex(R"(RMS relative residual = 0\.0\d+ %)")))
      << lines[4];
  EXPECT_EQ(err.str(), "");
}

TEST_F(FitCommand, JsonHoldsValuesErrorsAndMatricesInParameterOrder) {
  FitCommandOptions options{"R0=50+(R1=3k||C1=1u)", file.path(), "unit", true};
  EXPECT_EQ(run(options), 0);
  const nlohmann::json result = nlohmann::json::parse(out.str());
  ASSERT_EQ(result["parameters"].size(), 3u);
  EXPECT_EQ(result["parameters"][1]["name"], "R1");
  EXPECT_EQ(result["parameters"][1]["unit"], "Ohm");
  EXPECT_NEAR(result["parameters"][1]["value"].get<double>(), 10e3, 30);
  EXPECT_GT(result["parameters"][1]["stderr"].get<double>(), 0.0);
  EXPECT_EQ(result["parameters"][2]["unit"], "F");
  EXPECT_EQ(result["weighting"], "unit");
  EXPECT_EQ(result["converged"], true);
  EXPECT_TRUE(result["warnings"].empty());
  EXPECT_GT(result["chi_square"].get<double>(), 0.0);
  EXPECT_LT(result["rms_relative_residual"].get<double>(), 0.001);
  ASSERT_EQ(result["covariance"].size(), 3u);
  ASSERT_EQ(result["correlation"][2].size(), 3u);
  const double stderr_r1 = result["parameters"][1]["stderr"].get<double>();
  EXPECT_NEAR(result["covariance"][1][1].get<double>(), stderr_r1 * stderr_r1,
              1e-9 * stderr_r1 * stderr_r1);
  EXPECT_DOUBLE_EQ(result["correlation"][0][0].get<double>(), 1.0);
}

TEST_F(FitCommand, UndeterminedParametersAreNullInJsonAndWarnedInText) {
  EXPECT_EQ(run({"R0=50+R5=50+(R1=3k||C1=1u)", file.path(), "modulus", true}), 0);
  const nlohmann::json result = nlohmann::json::parse(out.str());
  EXPECT_TRUE(result["parameters"][0]["stderr"].is_null());
  EXPECT_TRUE(result["covariance"][0][0].is_null());
  EXPECT_EQ(result["warnings"].size(), 2u);

  EXPECT_EQ(run({"R0=50+R5=50+(R1=3k||C1=1u)", file.path()}), 0);
  EXPECT_NE(out.str().find("R0 = "), std::string::npos);
  EXPECT_NE(out.str().find(" ± not determined\n"), std::string::npos) << out.str();
  EXPECT_NE(err.str().find("fit: warning: R0 is not determined by the data"), std::string::npos)
      << err.str();
}

TEST_F(FitCommand, ErrorsGiveExitCodeOneAndAMessage) {
  struct Case {
    FitCommandOptions options;
    std::string message;
  };
  const Case cases[] = {
      {{"R1=1k+", file.path()},
       "fit: at position 7: expected an element (R, C, L, Q or W) or '('\n"},
      {{"R1k", file.path()},
       "fit: the circuit 'R1k' has no parameter to fit: name one with a start value, e.g. "
       "R1=1k\n"},
      {{"R1=1k", file.path() + ".missing"},
       "fit: cannot read '" + file.path() + ".missing': no such file\n"},
      {{"R1=1k", file.path(), "square"},
       "fit: unknown weighting 'square': expected modulus, unit or proportional\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.options), 1) << c.message;
    EXPECT_EQ(err.str(), c.message);
    EXPECT_EQ(out.str(), "");
  }
}

TEST_F(FitCommand, OptionsReachTheFitThroughTheCommandLine) {
  CLI::App app;
  int exit_code = -1;
  add_fit_command(app, exit_code);
  nlohmann::json result;
  {
    testing::CapturedCout captured;
    // Arguments reversed, as CLI11 takes a vector.
    app.parse(std::vector<std::string>{"--json", "proportional", "--weight", file.path(),
                                       "R0=50+(R1=3k||C1=1u)", "--circuit", "fit"});
    result = nlohmann::json::parse(captured.text());
  }
  EXPECT_EQ(exit_code, 0);
  EXPECT_EQ(result["weighting"], "proportional");

  CLI::App strict;
  add_fit_command(strict, exit_code);
  EXPECT_THROW(strict.parse(std::vector<std::string>{"square", "--weight", file.path(), "R1=1",
                                                     "--circuit", "fit"}),
               CLI::ValidationError);
  CLI::App missing;
  add_fit_command(missing, exit_code);
  EXPECT_THROW(missing.parse(std::vector<std::string>{file.path(), "fit"}), CLI::RequiredError);
}

}  // namespace
}  // namespace quelnor::cli
