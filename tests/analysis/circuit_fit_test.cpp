// Circuit fitting: known circuits recovered within their reported errors, the errors
// themselves checked against the scatter of repeated noisy fits, and the warnings and
// refusals a user meets.
#include "analysis/circuit_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/synthetic_spectrum.h"

namespace quelnor::analysis {
namespace {

using testing::board_noise_fraction;
using testing::synthetic_spectrum;

struct KnownCircuit {
  const char* truth;  // fixed values: generates the data
  const char* model;  // the same circuit with start values off the truth
  std::vector<double> true_values;
  double low_hz;
  double high_hz;
};

const KnownCircuit known_circuits[] = {
    {"R100+(R1k||Q(10u,0.85))", "R0=200+(R1=500||Q1=(30u,0.7))", {100, 1000, 10e-6, 0.85}, 1, 1e5},
    {"R10k||C100n", "R1=3k||C1=1u", {10e3, 100e-9}, 1, 1e5},
    {"R50+C1u", "R1=100+C1=300n", {50, 1e-6}, 10, 1e6},
    {"R20+(R200+W150)||C20u", "R0=10+(R1=100+W1=300)||C1=5u", {20, 200, 150, 20e-6}, 0.1, 1e5},
    // Twelve decades between the values: the scaling keeps it well conditioned.
    {"R1G||C1p", "R1=300M||C1=3p", {1e9, 1e-12}, 0.01, 1e3},
};

TEST(CircuitFit, NoiseFreeDataGiveTheCircuitBack) {
  for (const KnownCircuit& c : known_circuits) {
    const Spectrum data = synthetic_spectrum(c.truth, c.low_hz, c.high_hz, 50);
    const FitResult fit = fit_circuit(circuit::CircuitExpression::parse(c.model), data);
    EXPECT_TRUE(fit.converged) << c.model;
    EXPECT_TRUE(fit.warnings.empty()) << c.model << ": " << fit.warnings.front();
    ASSERT_EQ(fit.parameters.size(), c.true_values.size());
    for (std::size_t i = 0; i < c.true_values.size(); ++i) {
      EXPECT_NEAR(fit.parameters[i].value / c.true_values[i], 1.0, 1e-7)
          << c.model << " " << fit.parameters[i].name;
    }
    EXPECT_LT(fit.rms_relative_residual, 1e-9) << c.model;
    EXPECT_EQ(fit.fitted_impedance_ohm.size(), data.points.size());
  }
}

// Over repeated draws of the board's noise, every parameter lands within 3 reported
// sigma, and the reported sigma matches the scatter of the estimates within a factor 2.
TEST(CircuitFit, ReportedErrorsMatchTheScatterOfRepeatedNoisyFits) {
  constexpr int draws = 30;
  std::mt19937_64 random(20140605);
  for (const KnownCircuit& c : known_circuits) {
    const auto model = circuit::CircuitExpression::parse(c.model);
    const std::size_t count = c.true_values.size();
    std::vector<double> sum(count, 0.0), sum_squares(count, 0.0), reported(count, 0.0);
    int beyond_3_sigma = 0;
    for (int draw = 0; draw < draws; ++draw) {
      const Spectrum data =
          synthetic_spectrum(c.truth, c.low_hz, c.high_hz, 50, board_noise_fraction, &random);
      const FitResult fit = fit_circuit(model, data);
      ASSERT_TRUE(fit.converged) << c.model;
      // The weighted residuals are the relative noise: chi-square per number near its
      // variance, half the squared relative noise per component.
      EXPECT_NEAR(fit.rms_relative_residual / (board_noise_fraction / std::sqrt(2.0)), 1.0, 0.3)
          << c.model;
      for (std::size_t i = 0; i < count; ++i) {
        const FittedParameter& p = fit.parameters[i];
        const double error_sigmas = std::fabs(p.value - c.true_values[i]) / p.standard_error;
        // The first draw alone: every parameter within 3 sigma. Over all draws, 3 sigma is
        // passed by 0.27 % of normal estimates; allow up to 1 %, and never beyond 5 sigma.
        if (draw == 0) {
          EXPECT_LT(error_sigmas, 3.0) << c.model << " " << p.name;
        }
        EXPECT_LT(error_sigmas, 5.0) << c.model << " " << p.name << " draw " << draw;
        if (error_sigmas > 3.0) ++beyond_3_sigma;
        sum[i] += p.value;
        sum_squares[i] += p.value * p.value;
        reported[i] += p.standard_error / draws;
      }
    }
    EXPECT_LE(beyond_3_sigma, static_cast<int>(0.01 * draws * count) + 1) << c.model;
    for (std::size_t i = 0; i < count; ++i) {
      const double mean = sum[i] / draws;
      const double scatter = std::sqrt((sum_squares[i] - draws * mean * mean) / (draws - 1));
      EXPECT_GT(reported[i] / scatter, 0.5) << c.model << " parameter " << i;
      EXPECT_LT(reported[i] / scatter, 2.0) << c.model << " parameter " << i;
    }
  }
}

TEST(CircuitFit, CovarianceAndCorrelationAreConsistentWithTheErrors) {
  std::mt19937_64 random(7);
  const Spectrum data =
      synthetic_spectrum("R100+(R1k||Q(10u,0.85))", 1, 1e5, 60, board_noise_fraction, &random);
  const FitResult fit =
      fit_circuit(circuit::CircuitExpression::parse("R0=200+(R1=500||Q1=(30u,0.7))"), data);
  ASSERT_EQ(fit.covariance.rows(), 4);
  ASSERT_EQ(fit.correlation.cols(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(std::sqrt(fit.covariance(i, i)), fit.parameters[i].standard_error,
                1e-12 * fit.parameters[i].standard_error);
    EXPECT_NEAR(fit.correlation(i, i), 1.0, 1e-12);
    for (int j = 0; j < 4; ++j) {
      EXPECT_DOUBLE_EQ(fit.covariance(i, j), fit.covariance(j, i));
      EXPECT_LE(std::fabs(fit.correlation(i, j)), 1.0 + 1e-12);
    }
  }
  // The CPE's Q and n move together: a larger n needs a smaller Q at these frequencies.
  EXPECT_LT(fit.correlation(2, 3), -0.5);
}

TEST(CircuitFit, WeightingsAllRecoverNoiseFreeData) {
  const Spectrum data = synthetic_spectrum("R100+(R1k||C1u)", 1, 1e5, 40);
  for (const Weighting w : {Weighting::modulus, Weighting::unit, Weighting::proportional}) {
    FitOptions options;
    options.weighting = w;
    const FitResult fit =
        fit_circuit(circuit::CircuitExpression::parse("R0=50+(R1=3k||C1=300n)"), data, options);
    EXPECT_TRUE(fit.converged) << weighting_name(w);
    EXPECT_NEAR(fit.parameters[1].value, 1000.0, 1e-5) << weighting_name(w);
    EXPECT_EQ(weighting_from_name(weighting_name(w)), w);
  }
  EXPECT_THROW(weighting_from_name("Modulus"), std::invalid_argument);
}

TEST(CircuitFit, WarnsWhenTheDataCannotTellParametersApart) {
  std::mt19937_64 random(3);
  const Spectrum resistor = synthetic_spectrum("R2k", 1, 1e5, 20, board_noise_fraction, &random);
  const FitResult two_in_series =
      fit_circuit(circuit::CircuitExpression::parse("R1=500+R2=700"), resistor);
  ASSERT_EQ(two_in_series.warnings.size(), 2u);
  EXPECT_EQ(two_in_series.warnings[0],
            "R1 is not determined by the data (the fit can trade it against other parameters "
            "freely)");
  EXPECT_TRUE(std::isinf(two_in_series.parameters[1].standard_error));
  EXPECT_NEAR(two_in_series.parameters[0].value + two_in_series.parameters[1].value, 2000, 1);

  // A series capacitor on the data of a plain resistor: the fit makes it ever larger,
  // until it no longer shows at all.
  const FitResult hidden = fit_circuit(circuit::CircuitExpression::parse("R1=1k+C1=1u"),
                                       synthetic_spectrum("R2k", 1, 1e5, 20));
  ASSERT_FALSE(hidden.warnings.empty());
  EXPECT_EQ(hidden.warnings.back().substr(0, 6), "C1 is ");
  EXPECT_NEAR(hidden.parameters[0].value, 2000, 1e-3);
}

TEST(CircuitFit, ReportsAFitThatRanOutOfEvaluations) {
  const Spectrum data = synthetic_spectrum("R100+(R1k||C1u)", 1, 1e5, 40);
  FitOptions options;
  options.max_evaluations = 3;
  const FitResult fit =
      fit_circuit(circuit::CircuitExpression::parse("R0=5+(R1=30k||C1=1n)"), data, options);
  EXPECT_FALSE(fit.converged);
  ASSERT_FALSE(fit.warnings.empty());
  EXPECT_EQ(fit.warnings.front(),
            "the fit did not converge within 3 evaluations: the values are its last estimate; "
            "try other start values");
}

TEST(CircuitFit, RefusesWhatCannotBeFitted) {
  const Spectrum data = synthetic_spectrum("R1k", 1, 1e3, 2);
  struct Case {
    const char* circuit;
    Spectrum spectrum;
    Weighting weighting;
    const char* message;
  };
  Spectrum one_point;
  one_point.points.push_back(data.points[0]);
  Spectrum shorted = data;
  shorted.points[1].impedance_ohm = 0.0;
  const Case cases[] = {
      {"R1k+C1n", data, Weighting::modulus,
       "the circuit 'R1k+C1n' has no parameter to fit: name one with a start value, e.g. R1=1k"},
      {"R1=1+R2=1+R3=1", one_point, Weighting::modulus,
       "the spectrum has 1 points, too few for 3 parameters"},
      {"R1=1", shorted, Weighting::modulus,
       "the point at 1000 Hz cannot be weighted by modulus (its impedance is zero); choose "
       "another weighting"},
      {"R1=1", data, Weighting::proportional,
       "the point at 1 Hz cannot be weighted by proportional (its real or imaginary part is "
       "zero); choose another weighting"},
  };
  for (const Case& c : cases) {
    FitOptions options;
    options.weighting = c.weighting;
    try {
      fit_circuit(circuit::CircuitExpression::parse(c.circuit), c.spectrum, options);
      ADD_FAILURE() << "fitted " << c.circuit;
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace quelnor::analysis
