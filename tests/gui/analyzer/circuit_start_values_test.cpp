// Start values written back into circuit texts: each parameter's own value, whatever its
// name's neighbours, in a form the grammar reads back to the same number.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "gui/analyzer/circuit_start_values.h"

namespace quelnor::gui::analyzer {
namespace {

struct Case {
  const char* text;
  std::vector<double> values;
};

TEST(CircuitStartValues, WrittenValuesParseBackToThemselves) {
  const Case cases[] = {
      {"R0=100+(R1=1k||Q1=(10u,0.9))", {120.0, 2200.0, 4.7e-6, 0.85}},
      {"R1=1k+R10=5", {3.3, 7.5e6}},  // R1 is a prefix of R10
      {"R0 = 100 + (R1 = 1k || C1 = 100n)", {99.5, 1003.0, 9.87e-8}},
      {"R200k||C1=1n+W1=500", {2.5e-13, 12.0}},
      {"L1=1u+R1=1G", {1.5e-6, 2.75e12}},
  };
  for (const Case& c : cases) {
    const auto circuit = circuit::CircuitExpression::parse(c.text);
    const std::string text = with_start_values(circuit, c.values);
    const auto back = circuit::CircuitExpression::parse(text);
    ASSERT_EQ(back.parameters().size(), c.values.size()) << text;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      EXPECT_NEAR(back.parameters()[i].start, c.values[i], 1e-6 * c.values[i]) << c.text << " -> " << text;
    }
  }
}

TEST(CircuitStartValues, ValueTheGrammarCannotHoldIsAnError) {
  const auto circuit = circuit::CircuitExpression::parse("R1=1k");
  EXPECT_THROW(with_start_values(circuit, std::vector<double>{1e-30}), std::invalid_argument);
  EXPECT_THROW(with_start_values(circuit, std::vector<double>{1.0, 2.0}), std::invalid_argument);
}

TEST(CircuitStartValues, ValueTexts) {
  EXPECT_EQ(circuit_value_text(4.7e-9), "4.7n");
  EXPECT_EQ(circuit_value_text(12500.0), "12.5k");
  EXPECT_EQ(circuit_value_text(0.9, false), "0.9");
  EXPECT_EQ(circuit_value_text(100.0), "100");
}

}  // namespace
}  // namespace quelnor::gui::analyzer
