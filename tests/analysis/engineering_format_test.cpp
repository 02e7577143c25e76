// Engineering-unit texts of readouts.
#include "analysis/engineering_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quelnor::analysis {
namespace {

TEST(EngineeringFormat, Table) {
  struct Case {
    double value;
    const char* unit;
    int digits;
    const char* text;
  };
  const Case cases[] = {
      {4.7e-9, "F", 3, "4.7 nF"},
      {12345, "Ohm", 3, "12.3 kOhm"},
      {-152.87, "Ohm", 3, "-153 Ohm"},
      {999.96, "Ohm", 3, "1 kOhm"},  // rounding carries into the next prefix
      {999.4, "Ohm", 3, "999 Ohm"},
      {0.5, "Ohm", 3, "500 mOhm"},
      {1.0411e-6, "F", 3, "1.04 uF"},
      {100e3, "Hz", 4, "100 kHz"},
      {31622.776, "Hz", 4, "31.62 kHz"},
      {2.5e9, "Hz", 2, "2.5 GHz"},
      {1e-18, "F", 3, "0.001 fF"},  // below the smallest prefix
      {1.5e15, "Ohm", 3, "1500 TOhm"},  // above the largest
      {0.0, "Ohm", 3, "0 Ohm"},
      {-0.0, "Ohm", 3, "0 Ohm"},
      {std::nan(""), "F", 3, "-"},
      {INFINITY, "", 3, "inf"},
      {-INFINITY, "Ohm", 3, "-inf Ohm"},
      {15.287, "", 3, "15.3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engineering_text(c.value, c.unit, c.digits), c.text) << c.value;
  }
}

// Results whose digits state their precision keep trailing zeros.
TEST(EngineeringFormat, KeptZerosStateThePrecision) {
  EXPECT_EQ(engineering_text(1002.3, "Ohm", 5, TrailingZeros::kept), "1.0023 kOhm");
  EXPECT_EQ(engineering_text(999.96, "Hz", 4, TrailingZeros::kept), "1.000 kHz");
  EXPECT_EQ(engineering_text(100e3, "Hz", 4, TrailingZeros::kept), "100.0 kHz");
  EXPECT_EQ(engineering_text(-1e3, "Ohm", 3, TrailingZeros::kept), "-1.00 kOhm");
  EXPECT_EQ(engineering_text(0.0, "H", 4, TrailingZeros::kept), "0 H");
}

TEST(EngineeringFormat, PercentagesKeepTwoDigits) {
  EXPECT_EQ(percent_text(0.0031), "0.31 %");
  EXPECT_EQ(percent_text(0.22), "22 %");
  EXPECT_EQ(percent_text(0.005), "0.5 %");
  EXPECT_EQ(percent_text(1.5), "150 %");
  EXPECT_EQ(percent_text(-12.3), "-1230 %");
}

TEST(EngineeringFormat, Phase) {
  EXPECT_EQ(phase_text(-86.2574), "-86.3 deg");
  EXPECT_EQ(phase_text(0.01), "0 deg");
  EXPECT_EQ(phase_text(std::nan("")), "-");
}

}  // namespace
}  // namespace quelnor::analysis

namespace quelnor::analysis {
namespace {

TEST(EngineeringValue, TypedValues) {
  const std::pair<const char*, double> good[] = {
      {"12.3k", 12.3e3}, {"100 kHz", 100e3}, {" 4.7 nF ", 4.7e-9}, {"1e4", 1e4}, {"2.2M", 2.2e6},
      {"5 m", 5e-3},     {"5 mOhm", 5e-3},   {"100 Hz", 100.0},    {"-3u", -3e-6}, {"1 Ohm", 1.0}};
  for (const auto& [text, value] : good) {
    const auto parsed = engineering_value(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_DOUBLE_EQ(*parsed, value) << text;
  }
  for (const char* bad : {"", "k", "12..3", "1e999", "12 k3", "nan", "1,5k"}) {
    EXPECT_FALSE(engineering_value(bad)) << bad;
  }
}

}  // namespace
}  // namespace quelnor::analysis
