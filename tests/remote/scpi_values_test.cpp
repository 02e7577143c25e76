// Units and multipliers as SCPI defines them (M is milli, MA and MHZ/MOHM mega), MIN/MAX/DEF,
// booleans, choices, and number answers that read back to the same double.
#include "remote/scpi_values.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "remote/scpi_error.h"

namespace quelnor::remote {
namespace {

Parameter first_parameter(const std::string& text) {
  const ParsedMessage m = parse_program_message("X " + text);
  EXPECT_FALSE(m.error) << text;
  return m.units.at(0).parameters.at(0);
}

int error_code_of(auto&& action) {
  try {
    action();
  } catch (const ScpiError& e) {
    return e.code();
  }
  return 0;
}

struct UnitCase {
  const char* text;
  const char* unit;
  double value;  // expected when error is 0
  int error;
};

class UnitTable : public ::testing::TestWithParam<UnitCase> {};

TEST_P(UnitTable, Converts) {
  const UnitCase& c = GetParam();
  const Parameter p = first_parameter(c.text);
  if (c.error != 0) {
    EXPECT_EQ(error_code_of([&] { scaled_number(p, c.unit); }), c.error) << c.text;
  } else {
    EXPECT_DOUBLE_EQ(scaled_number(p, c.unit), c.value) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Suffixes, UnitTable,
    ::testing::Values(UnitCase{"1000", "HZ", 1000, 0}, UnitCase{"1kHz", "HZ", 1e3, 0},
                      UnitCase{"1 KHZ", "HZ", 1e3, 0}, UnitCase{"2.5MHZ", "HZ", 2.5e6, 0},
                      UnitCase{"2.5MAHZ", "HZ", 2.5e6, 0}, UnitCase{"1GHZ", "HZ", 1e9, 0},
                      UnitCase{"5HZ", "HZ", 5, 0}, UnitCase{"200KOHM", "OHM", 2e5, 0},
                      UnitCase{"1MOHM", "OHM", 1e6, 0}, UnitCase{"1MAOHM", "OHM", 1e6, 0},
                      UnitCase{"3UOHM", "OHM", 3e-6, 0}, UnitCase{"7MS", "S", 7e-3, 0},
                      UnitCase{"2.5E3", "HZ", 2500, 0}, UnitCase{"#H10", "HZ", 16, 0},
                      UnitCase{"1V", "HZ", 0, scpi_code::invalid_suffix},
                      UnitCase{"1K", "HZ", 0, scpi_code::invalid_suffix},
                      UnitCase{"1XHZ", "HZ", 0, scpi_code::invalid_suffix},
                      UnitCase{"5HZ", "", 0, scpi_code::suffix_not_allowed},
                      UnitCase{"LIN", "HZ", 0, scpi_code::character_data_not_allowed},
                      UnitCase{"\"5\"", "HZ", 0, scpi_code::string_data_not_allowed},
                      UnitCase{"#11a", "HZ", 0, scpi_code::block_data_not_allowed}));

TEST(Values, MinMaxDefResolveToLimits) {
  const NumericLimits limits{10, 100, 50};
  EXPECT_EQ(number_or_limit(first_parameter("MIN"), "HZ", limits), 10);
  EXPECT_EQ(number_or_limit(first_parameter("maximum"), "HZ", limits), 100);
  EXPECT_EQ(number_or_limit(first_parameter("DEF"), "HZ", limits), 50);
  EXPECT_EQ(number_or_limit(first_parameter("20 HZ"), "HZ", limits), 20);
  EXPECT_EQ(error_code_of([&] { number_or_limit(first_parameter("MAXI"), "HZ", limits); }),
            scpi_code::illegal_parameter_value);
}

TEST(Values, Booleans) {
  EXPECT_TRUE(boolean_value(first_parameter("ON")));
  EXPECT_TRUE(boolean_value(first_parameter("1")));
  EXPECT_FALSE(boolean_value(first_parameter("off")));
  EXPECT_FALSE(boolean_value(first_parameter("0")));
  EXPECT_EQ(error_code_of([&] { boolean_value(first_parameter("YES")); }),
            scpi_code::illegal_parameter_value);
}

TEST(Values, ChoicesTakeShortOrLongForm) {
  EXPECT_EQ(choice_index(first_parameter("log"), {"LINear", "LOGarithmic"}), 1u);
  EXPECT_EQ(choice_index(first_parameter("LINEAR"), {"LINear", "LOGarithmic"}), 0u);
  EXPECT_EQ(error_code_of([&] { choice_index(first_parameter("LINE"), {"LINear"}); }),
            scpi_code::illegal_parameter_value);
}

TEST(Values, NumberAnswersReadBackExactly) {
  for (double v : {0.1, 1.0 / 3.0, 1234.5678901234567, 1e-300, -2.5e17, 200e3,
                   std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max()}) {
    const std::string text = number_response(v);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
    EXPECT_EQ(first_parameter(text).number, v) << text;
  }
  EXPECT_EQ(number_response(200e3), "200000");
  EXPECT_EQ(number_response(std::numeric_limits<double>::quiet_NaN()), "9.91E+37");
}

TEST(Values, StringResponsesDoubleTheirQuotes) {
  EXPECT_EQ(string_response("say \"hi\""), "\"say \"\"hi\"\"\"");
}

}  // namespace
}  // namespace quelnor::remote
