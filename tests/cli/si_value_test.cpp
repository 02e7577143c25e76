// SI-prefixed numbers as typed on the command line.
#include "cli/si_value.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace quelnor::cli {
namespace {

TEST(SiValue, PrefixesUnitsAndRefusals) {
  struct Case {
    const char* text;
    double value;  // 0 with ok false: refused
    bool ok;
  };
  const Case cases[] = {
      {"1k", 1e3, true},  {"2.5M", 2.5e6, true}, {"22p", 22e-12, true},    {"470", 470.0, true},
      {"1e3", 1e3, true}, {"10kHz", 1e4, true},  {"4.7MOhm", 4.7e6, true}, {"100hz", 100.0, true},
      {"5m", 5e-3, true}, {"-3k", -3e3, true},   {"3u", 3e-6, true},       {"1G", 1e9, true},
      {"", 0, false},     {"k", 0, false},       {"1kk", 0, false},        {"1x", 0, false},
      {"Hz", 0, false},   {"inf", 0, false},     {"nan", 0, false},        {"1e999", 0, false},
      {"+1", 0, false},   {" 1k", 0, false},     {"1 k", 0, false},
  };
  for (const Case& c : cases) {
    const std::optional<double> v = parse_si_number(c.text);
    EXPECT_EQ(v.has_value(), c.ok) << c.text;
    if (c.ok && v) {
      EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
    }
  }
  try {
    si_number("1x", "--start");
    ADD_FAILURE() << "accepted";
  } catch (const std::invalid_argument& e) {
    EXPECT_EQ(std::string(e.what()).rfind("--start: '1x' is not a number", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace quelnor::cli
