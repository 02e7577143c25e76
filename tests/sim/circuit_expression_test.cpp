// Parsing and evaluation of circuit expressions for the impedance under test.
#include "sim/circuit_expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <stdexcept>
#include <string>

namespace quelnor::sim {
namespace {

constexpr double two_pi = 6.283185307179586;

TEST(CircuitExpression, EvaluatesElementsSuffixesAndOperators) {
  struct Case {
    const char* text;
    double frequency_hz;
    std::complex<double> expected_ohm;
  };
  const double x_c15p = -1.0 / (two_pi * 30000 * 15e-12);
  const std::complex<double> r_par_c =
      1.0 / (1.0 / std::complex<double>(200e3) + 1.0 / std::complex<double>(0, x_c15p));
  const Case cases[] = {
      {"R200k", 30000, {200e3, 0}},
      {"R100", 1, {100, 0}},
      {"R1.5M", 1, {1.5e6, 0}},
      {"R2G", 1, {2e9, 0}},
      {"R.5", 1, {0.5, 0}},
      {"C15p", 30000, {0, x_c15p}},
      {"C1n", 1000, {0, -1.0 / (two_pi * 1000 * 1e-9)}},
      {"C2u", 1000, {0, -1.0 / (two_pi * 1000 * 2e-6)}},
      {"L10m", 1000, {0, two_pi * 1000 * 10e-3}},
      {"R1k+R2k", 1, {3e3, 0}},
      {"R1k||R1k", 1, {500, 0}},
      {"R1k+R2k||R2k", 1, {2e3, 0}},      // || binds tighter than +
      {"(R1k+R2k)||R3k", 1, {1.5e3, 0}},  // parentheses override
      {"R200k||C15p", 30000, r_par_c},
      {"(R200k||C15p)+R200k", 30000, r_par_c + 200e3},
      {" ( R200k || C15p ) + R 200k ", 30000, r_par_c + 200e3},
      {"R1k||R1k||R1k", 1, {1e3 / 3, 0}},
      {"C1u||L1", 0, {0, 0}},  // at DC the inductor shorts the open capacitor
      {"R0", 1000, {0, 0}},
  };
  for (const Case& c : cases) {
    const std::complex<double> z = CircuitExpression::parse(c.text).impedance(c.frequency_hz);
    const double tolerance = 1e-9 * std::abs(c.expected_ohm) + 1e-12;
    EXPECT_NEAR(z.real(), c.expected_ohm.real(), tolerance) << c.text;
    EXPECT_NEAR(z.imag(), c.expected_ohm.imag(), tolerance) << c.text;
    EXPECT_FALSE(is_open(z)) << c.text;
  }
}

TEST(CircuitExpression, OpenCircuitsAreInfiniteAndDoNotPoisonTheRest) {
  EXPECT_TRUE(is_open(CircuitExpression::parse("C1n").impedance(0)));
  EXPECT_TRUE(is_open(CircuitExpression::parse("C0").impedance(1000)));
  EXPECT_TRUE(is_open(CircuitExpression::parse("R1k+C1n").impedance(0)));
  EXPECT_EQ(CircuitExpression::parse("R1k||C1n").impedance(0), std::complex<double>(1e3, 0));
  // An ideal L||C at resonance is open; just beside it, very large but finite.
  const double resonance_hz = 1.0 / (two_pi * std::sqrt(1e-3 * 1e-9));
  const auto near = CircuitExpression::parse("L1m||C1n").impedance(resonance_hz * 1.01);
  EXPECT_FALSE(is_open(near));
  EXPECT_GT(std::abs(near), 1e4);
}

TEST(CircuitExpression, MalformedTextNamesThePositionAndWhatWasExpected) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "at position 1: expected an element (R, C or L) or '('"},
      {"   ", "at position 4: expected an element (R, C or L) or '('"},
      {"R1k+C", "at position 6: expected a value after 'C'"},
      {"Rk", "at position 2: expected a value after 'R'"},
      {"X100", "at position 1: expected an element (R, C or L) or '('"},
      {"r100", "at position 1: expected an element (R, C or L) or '('"},
      {"R1k+", "at position 5: expected an element (R, C or L) or '('"},
      {"R1k||", "at position 6: expected an element (R, C or L) or '('"},
      {"R1k|C1n", "at position 5: expected '||' (a single '|' is not an operator)"},
      {"(R1k+C1n", "at position 9: expected ')'"},
      {"R1k)", "at position 4: expected '+', '||' or the end, not ')'"},
      {"R1k C1n", "at position 5: expected '+', '||' or the end"},
      {"R1x", "at position 3: expected '+', '||' or the end"},
      {"R1kk", "at position 4: expected '+', '||' or the end"},
      {"R1.", "at position 4: expected a digit after '.'"},
      {"R-5", "at position 2: expected a value after 'R'"},
      {"()", "at position 2: expected an element (R, C or L) or '('"},
      {"R1e3", "at position 3: expected '+', '||' or the end"},
  };
  for (const Case& c : cases) {
    try {
      CircuitExpression::parse(c.text);
      ADD_FAILURE() << "accepted: '" << c.text << "'";
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << "'" << c.text << "'";
    }
  }
}

TEST(CircuitExpression, ValueTooLargeForADoubleIsRefused) {
  const std::string huge = "R" + std::string(400, '9');
  EXPECT_THROW(CircuitExpression::parse(huge), std::invalid_argument);
  EXPECT_THROW(CircuitExpression::parse("R" + std::string(300, '9') + "G"), std::invalid_argument);
}

}  // namespace
}  // namespace quelnor::sim
