// Engineering notation: prefixes, rounding across a prefix boundary, bare numbers.
#include "analysis/engineering_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace quelnor::analysis {
namespace {

TEST(EngineeringFormat, PicksThePrefixAndKeepsTheDigits) {
  struct Case {
    double value;
    const char* unit;
    int digits;
    const char* text;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {4.7e-9, "F", 2, "4.7 nF"},
      {12.3e3, "Ohm", 3, "12.3 kOhm"},
      {1002.3, "Ohm", 5, "1.0023 kOhm"},
      {-1002.3, "Ohm", 5, "-1.0023 kOhm"},
      {999.96, "Hz", 4, "1.000 kHz"},  // rounds up into the next prefix
      {100e3, "Hz", 4, "100.0 kHz"},
      {0.5, "Ohm", 3, "500 mOhm"},
      {1e-15, "F", 2, "1.0 fF"},
      {2.5e12, "Ohm", 2, "2.5 TOhm"},
      {0.0, "H", 4, "0 H"},
      {0.85, "", 3, "0.850"},
      {1234.5, "", 3, "1.23e+03"},
      {inf, "Ohm", 3, "inf Ohm"},
      {-inf, "", 3, "-inf"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engineering_text(c.value, c.unit, c.digits), c.text) << c.value;
  }
}

}  // namespace
}  // namespace quelnor::analysis
