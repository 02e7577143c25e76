// Number parsing and the number-to-text rule: worked examples and the hard cases of
// rounding, notation boundaries, blanks, exponent letters and range.
#include "util/numbers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "util/run_time_error.h"

namespace quelnor::util {
namespace {

struct TextCase {
  double value;
  const char* text;
};

TEST(NumberText, WritesFifteenDigitsInPlainOrExponentNotation) {
  const TextCase cases[] = {
      // Worked examples of the system's number rule and of the exported rows.
      {5.13427021632825E-10, "5.13427021632825E-10"},
      {1.5E+15, "1.5E+15"},
      {0.00001, "1E-05"},
      {0.5, "0.5"},
      {0.25, "0.25"},
      {30000, "30000"},
      {1234.5678, "1234.5678"},
      {2000.5, "2000.5"},
      {1234, "1234"},
      {56, "56"},
      {1235, "1235"},
      {200000, "200000"},
      {1.5E-11, "1.5E-11"},
      {-0.25, "-0.25"},
      // Rounding to 15 digits that carries into a new leading digit.
      {9.999999999999999, "10"},
      {std::nextafter(0.0001, 0.0), "0.0001"},
      {999999999999999.5, "1E+15"},
      {99999999999999.99, "100000000000000"},
      {0.30000000000000004, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {-2.0 / 3.0, "-0.666666666666667"},
      // The edges of plain notation: exponents -4 and 14 in, -5 and 15 out.
      {999999999999999, "999999999999999"},
      {1E+15, "1E+15"},
      {100000000000000, "100000000000000"},
      {0.0001, "0.0001"},
      {0.00012345, "0.00012345"},
      {-0.00001, "-1E-05"},
      {123456789012345678.0, "1.23456789012346E+17"},
      // Zero, both signs.
      {0.0, "0"},
      {-0.0, "0"},
      // The ends of the double range; three-digit exponents.
      {DBL_MAX, "1.79769313486232E+308"},
      {-DBL_MAX, "-1.79769313486232E+308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
      {DBL_MIN, "2.2250738585072E-308"},
      {1E+100, "1E+100"},
      // Never a made-up number for what is not one.
      {std::numeric_limits<double>::infinity(), "Infinity"},
      {-std::numeric_limits<double>::infinity(), "-Infinity"},
      {std::numeric_limits<double>::quiet_NaN(), "NaN"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(number_text(c.value), c.text) << "value " << c.value;
  }
}

struct ParseCase {
  const char* text;
  double value;
};

TEST(LenientNumber, ReadsTheLeadingNumberIgnoringBlanks) {
  const ParseCase cases[] = {
      {"200E3", 200000},
      {"15E-12", 1.5E-11},
      {"1k", 1},
      {"30000", 30000},
      {"-12.5", -12.5},
      {"+7", 7},
      {".5", 0.5},
      {"5.", 5},
      {"1 2 3", 123},
      {"2\t5E3", 25000},
      {" 1\n0 0 ", 100},
      {"- 4 . 5 e - 1", -0.45},
      {"1D3", 1000},
      {"2.5d-2", 0.025},
      {"5E", 5},  // an exponent letter without digits is not part of the number
      {"5E+", 5},
      {"5Ex3", 5},
      {"1.2.3", 1.2},
      {"3-4", 3},
      {"", 0},
      {"   ", 0},
      {"abc", 0},
      {"k1", 0},
      {"-", 0},
      {".", 0},
      {"E5", 0},
      {"1E-400", 0},  // below the smallest double: zero, not an error
      {"0E999999", 0},
      {"4.9406564584124654E-324", std::numeric_limits<double>::denorm_min()},
      {"1.7976931348623157E308", DBL_MAX},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(lenient_number(c.text), c.value) << "text \"" << c.text << "\"";
  }
}

TEST(StrictNumber, AcceptsOnlyAWholeNumber) {
  const ParseCase accepted[] = {
      {"200E3", 200000}, {"  47.5  ", 47.5}, {"\t-1D2\n", -100}, {"+.5", 0.5}, {"1E-400", 0},
  };
  for (const ParseCase& c : accepted) {
    EXPECT_EQ(strict_number(c.text), c.value) << "text \"" << c.text << "\"";
  }
  const char* refused[] = {"", "   ", "1k", "abc", "5E", "1 2", "1.2.3", "-", ".", "200E3x"};
  for (const char* text : refused) {
    try {
      strict_number(text);
      ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::not_a_number) << "text \"" << text << "\"";
    }
  }
}

TEST(Numbers, ANumberBeyondTheDoubleRangeIsAnError) {
  EXPECT_THROW(lenient_number("1 E 4 0 0"), RunTimeError);
  const char* too_large[] = {"1E400", "-1E400", "1D309", "99999999999999999999E300",
                             "1E99999999999999999999999"};
  for (const char* text : too_large) {
    for (auto read : {&lenient_number, &strict_number}) {
      try {
        read(text);
        ADD_FAILURE() << "read \"" << text << "\"";
      } catch (const RunTimeError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::number_too_large) << "text \"" << text << "\"";
      }
    }
  }
  try {
    lenient_number("1E400");
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.what(), "Number too large: 1E400");
  }
}

TEST(Numbers, TextOfANumberReadsBackToTheSameFifteenDigits) {
  const double values[] = {5.13427021632825E-10, 30100.0, 199987.654321, -0.00042, 6.02214076E23};
  for (double v : values) {
    EXPECT_EQ(number_text(lenient_number(number_text(v))), number_text(v));
    EXPECT_NEAR(strict_number(number_text(v)), v, std::fabs(v) * 1e-14);
  }
}

}  // namespace
}  // namespace quelnor::util
