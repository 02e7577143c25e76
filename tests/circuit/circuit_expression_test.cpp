// Parsing and evaluation of circuit expressions: element formulas, operators, parameters
// to fit, and every malformed or oversized text refused with a position.
#include "circuit/circuit_expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace quelnor::circuit {
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
      {"", "at position 1: expected an element (R, C, L, Q or W) or '('"},
      {"   ", "at position 4: expected an element (R, C, L, Q or W) or '('"},
      {"R1k+C", "at position 6: expected a value after 'C'"},
      {"Rk", "at position 2: expected a value after 'R'"},
      {"X100", "at position 1: expected an element (R, C, L, Q or W) or '('"},
      {"r100", "at position 1: expected an element (R, C, L, Q or W) or '('"},
      {"R1k+", "at position 5: expected an element (R, C, L, Q or W) or '('"},
      {"R1k||", "at position 6: expected an element (R, C, L, Q or W) or '('"},
      {"R1k|C1n", "at position 5: expected '||' (a single '|' is not an operator)"},
      {"(R1k+C1n", "at position 9: expected ')'"},
      {"R1k)", "at position 4: expected '+', '||' or the end, not ')'"},
      {"R1k C1n", "at position 5: expected '+', '||' or the end"},
      {"R1x", "at position 3: expected '+', '||' or the end"},
      {"R1kk", "at position 4: expected '+', '||' or the end"},
      {"R1.", "at position 4: expected a digit after '.'"},
      {"R-5", "at position 2: expected a value after 'R'"},
      {"()", "at position 2: expected an element (R, C, L, Q or W) or '('"},
      {"R1e3", "at position 3: expected '+', '||' or the end"},
      {"Q10u", "at position 2: expected '(' and the CPE's Q and n"},
      {"Q(10u)", "at position 6: expected ',' and the CPE's n"},
      {"Q(10u,0)", "at position 7: expected the CPE's n from above 0 to 1"},
      {"Q(10u,1.5)", "at position 7: expected the CPE's n from above 0 to 1"},
      {"Q(10u,0.9", "at position 10: expected ')' after the CPE's n"},
      {"Q(10u,0.9k)", "at position 10: expected ')' after the CPE's n"},
      {"Q1=(,0.9)", "at position 5: expected a value after 'Q'"},
      {"W", "at position 2: expected a value after 'W'"},
      {"R1=", "at position 4: expected a value after 'R'"},
      {"R1=0", "at position 5: expected a start value above 0 for a parameter to fit"},
      {"R1=10+C1=1n+R1=5", "at position 13: expected a name not used before, not 'R1' again"},
      {"Q1=(1u,0.5)+R1_n=5+Q1=(1u,1)",
       "at position 20: expected a name not used before, not 'Q1' again"},
      {"Q1=(1u,0.5)+Q1_n=(1u,0.5)",
       "at position 13: expected a name not used before, not 'Q1_n' again"},
      {"R1==5", "at position 4: expected a value after 'R'"},
      {"R1=5=6", "at position 5: expected '+', '||' or the end"},
      {"R-1=5", "at position 2: expected a value after 'R'"},
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

TEST(CircuitExpression, ConstantPhaseAndWarburgElementsFollowTheirDefinitions) {
  using Complex = std::complex<double>;
  const Complex j{0.0, 1.0};
  for (const double f : {0.1, 50.0, 1e3, 123456.0}) {
    const Complex jw = j * (two_pi * f);
    struct Case {
      std::string text;
      Complex expected_ohm;
    };
    const Case cases[] = {
        {"Q(10u,0.9)", 1.0 / (10e-6 * std::pow(jw, 0.9))},
        {"Q(2.5n,0.5)", 1.0 / (2.5e-9 * std::pow(jw, 0.5))},
        {"Q(1u,1)", 1.0 / (1e-6 * jw)},  // n = 1 is a capacitor
        {"W500", 500.0 / std::sqrt(jw)},
        {"W1=2k", 2000.0 / std::sqrt(jw)},
        {"R0=100+((R1=1k+W1=500)||Q1=(10u,0.9))",
         100.0 + 1.0 / (1.0 / (1000.0 + 500.0 / std::sqrt(jw)) + 10e-6 * std::pow(jw, 0.9))},
    };
    for (const Case& c : cases) {
      const Complex z = CircuitExpression::parse(c.text).impedance(f);
      EXPECT_NEAR(std::abs(z - c.expected_ohm) / std::abs(c.expected_ohm), 0.0, 1e-12)
          << c.text << " at " << f << " Hz";
    }
  }
  EXPECT_TRUE(is_open(CircuitExpression::parse("Q(1u,0.8)").impedance(0)));
  EXPECT_TRUE(is_open(CircuitExpression::parse("W500").impedance(0)));
}

TEST(CircuitExpression, NamedParametersAreListedInOrderAndEvaluatedWithGivenValues) {
  const auto circuit = CircuitExpression::parse("R0=100+((R1=1k+W1=500)||Q1=(10u,0.9))+C7n+L1=2m");
  const auto& p = circuit.parameters();
  ASSERT_EQ(p.size(), 6u);
  const char* names[] = {"R0", "R1", "W1", "Q1", "Q1_n", "L1"};
  const char* units[] = {"Ohm", "Ohm", "Ohm s^-1/2", "S s^n", "", "H"};
  const double starts[] = {100, 1000, 500, 10e-6, 0.9, 2e-3};
  for (std::size_t i = 0; i < p.size(); ++i) {
    EXPECT_EQ(p[i].name, names[i]);
    EXPECT_EQ(p[i].unit, units[i]);
    EXPECT_DOUBLE_EQ(p[i].start, starts[i]);
    EXPECT_EQ(p[i].is_exponent, i == 4);
  }
  // Other values replace the starts; the fixed C7n stays.
  const double values[] = {50, 2000, 100, 1e-6, 0.7, 1e-3};
  const auto fixed = CircuitExpression::parse("R50+((R2k+W100)||Q(1u,0.7))+C7n+L1m");
  EXPECT_EQ(circuit.impedance(1234.0, values), fixed.impedance(1234.0));
  EXPECT_EQ(circuit.impedance(1234.0),
            CircuitExpression::parse("R100+((R1k+W500)||Q(10u,0.9))+C7n+L2m").impedance(1234.0));
  EXPECT_THROW(circuit.impedance(1.0, std::span<const double>(values, 5)), std::invalid_argument);
  // Blanks around the name's '=' and names of several characters.
  EXPECT_EQ(CircuitExpression::parse("Rs = 1k + R_ct=2k").parameters()[1].name, "R_ct");
}

// The analytic derivatives the fit uses, against central differences of the impedance.
TEST(CircuitExpression, GradientMatchesDifferencesOfTheImpedance) {
  const char* texts[] = {
      "R0=100+((R1=1k+W1=500)||Q1=(10u,0.9))+L1=2m",
      "R1=10k||C1=100n||L1=1m",
      "(R1=1k||C1=1u)+(R2=5k||Q2=(10n,0.8))+C3=10u",
      "R1=1k+(R2=2k||(R3=3k+C3=1u))",
  };
  for (const char* text : texts) {
    const auto circuit = CircuitExpression::parse(text);
    const std::size_t count = circuit.parameters().size();
    std::vector<double> values;
    for (const auto& p : circuit.parameters()) values.push_back(p.start);
    for (const double f : {3.0, 700.0, 45e3}) {
      std::vector<std::complex<double>> gradient(count, std::complex<double>(99, 99));
      const auto z = circuit.impedance_and_gradient(f, values, gradient);
      EXPECT_EQ(z, circuit.impedance(f, values)) << text;
      for (std::size_t i = 0; i < count; ++i) {
        const double h = values[i] * 1e-5;
        std::vector<double> up = values;
        std::vector<double> down = values;
        up[i] += h;
        down[i] -= h;
        const auto difference = (circuit.impedance(f, up) - circuit.impedance(f, down)) / (2.0 * h);
        // The difference carries the rounding of Z, about 1e-16 |Z| / h.
        EXPECT_LT(std::abs(gradient[i] - difference),
                  1e-6 * std::abs(difference) + 1e-13 * std::abs(z) / h)
            << text << " d/d" << circuit.parameters()[i].name << " at " << f
            << " Hz: " << gradient[i] << " vs " << difference;
      }
    }
  }
  // Open at DC: no derivative, and no stale entries from a previous call.
  const auto series = CircuitExpression::parse("R1=1k+C1=1u");
  const double values[] = {1e3, 1e-6};
  std::complex<double> gradient[] = {{5, 5}, {5, 5}};
  EXPECT_TRUE(is_open(series.impedance_and_gradient(0, values, gradient)));
  EXPECT_EQ(gradient[0], 0.0);
  EXPECT_EQ(gradient[1], 0.0);
}

TEST(CircuitExpression, OversizedOrTooDeeplyNestedTextIsAnErrorNotACrash) {
  struct Case {
    std::string text;
    std::string message;
  };
  std::string chain = "R1";
  for (int i = 0; i < 1000000; ++i) chain += "+R1";
  const Case cases[] = {
      {std::string(100000, '(') + "R1" + std::string(100000, ')'),
       "at position 10001: expected at most 10000 characters"},
      {std::string(51, '(') + "R1" + std::string(51, ')'),
       "at position 51: expected at most 50 nested parentheses"},
      {chain, "at position 10001: expected at most 10000 characters"},
  };
  for (const Case& c : cases) {
    try {
      CircuitExpression::parse(c.text);
      ADD_FAILURE() << "accepted a text of " << c.text.size() << " characters";
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
  // Right at the limits: accepted and evaluated.
  const std::string deepest = std::string(50, '(') + "R1k||R1k" + std::string(50, ')');
  EXPECT_EQ(CircuitExpression::parse(deepest).impedance(1), std::complex<double>(500, 0));
  std::string longest = "R1";
  while (longest.size() + 3 <= max_text_length) longest += "+R1";
  EXPECT_DOUBLE_EQ(CircuitExpression::parse(longest).impedance(1).real(),
                   static_cast<double>((longest.size() + 1) / 3));
}

TEST(CircuitExpression, ValueTooLargeForADoubleIsRefused) {
  const std::string huge = "R" + std::string(400, '9');
  EXPECT_THROW(CircuitExpression::parse(huge), std::invalid_argument);
  EXPECT_THROW(CircuitExpression::parse("R" + std::string(300, '9') + "G"), std::invalid_argument);
}

}  // namespace
}  // namespace quelnor::circuit
