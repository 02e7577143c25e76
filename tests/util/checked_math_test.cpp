// Checked arithmetic: which operations fail with which error, and rounding ties to even.
#include "util/checked_math.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "util/run_time_error.h"

namespace quelnor::util {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t i32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t i32_min = std::numeric_limits<std::int32_t>::min();

struct FaultCase {
  const char* name;
  std::function<void()> op;
  ErrorKind kind;
};

TEST(CheckedMath, FaultsRaiseTheirErrorKind) {
  const FaultCase cases[] = {
      {"1/0", [] { checked_div(1, 0); }, ErrorKind::division_by_zero},
      {"-1/-0", [] { checked_div(-1, -0.0); }, ErrorKind::division_by_zero},
      {"0/0", [] { checked_div(0, 0); }, ErrorKind::invalid_operation},
      {"tiny/tiny overflows", [] { checked_div(DBL_MAX, 0.5); }, ErrorKind::overflow},
      {"max+max", [] { checked_add(DBL_MAX, DBL_MAX); }, ErrorKind::overflow},
      {"-max-max", [] { checked_sub(-DBL_MAX, DBL_MAX); }, ErrorKind::overflow},
      {"max*2", [] { checked_mul(DBL_MAX, 2); }, ErrorKind::overflow},
      {"inf-inf", [] { checked_sub(inf, inf); }, ErrorKind::invalid_operation},
      {"0*inf", [] { checked_mul(0, inf); }, ErrorKind::invalid_operation},
      {"NaN passed on", [] { checked_add(nan, 1); }, ErrorKind::invalid_operation},
      {"checked(inf)", [] { checked(-inf); }, ErrorKind::overflow},
      {"sqrt(-1)", [] { checked_sqrt(-1); }, ErrorKind::invalid_operation},
      {"i32 max+1", [] { checked_add_i32(i32_max, 1); }, ErrorKind::overflow},
      {"i32 min-1", [] { checked_sub_i32(i32_min, 1); }, ErrorKind::overflow},
      {"i32 min*-1", [] { checked_mul_i32(i32_min, -1); }, ErrorKind::overflow},
      {"i32 65536*32768", [] { checked_mul_i32(65536, 32768); }, ErrorKind::overflow},
      {"i16 32767+1", [] { checked_add_i16(32767, 1); }, ErrorKind::overflow},
      {"i16 -32768+-1", [] { checked_add_i16(-32768, -1); }, ErrorKind::overflow},
      {"to_i16 32768", [] { to_i16(32768); }, ErrorKind::overflow},
      {"to_i16 -32769", [] { to_i16(-32769); }, ErrorKind::overflow},
      {"round NaN", [] { round_to_i32(nan); }, ErrorKind::overflow},
      {"round inf", [] { round_to_i16(inf); }, ErrorKind::overflow},
      {"round 2147483647.5", [] { round_to_i32(2147483647.5); }, ErrorKind::overflow},
      {"round -2147483648.6", [] { round_to_i32(-2147483648.6); }, ErrorKind::overflow},
      {"round 32767.5", [] { round_to_i16(32767.5); }, ErrorKind::overflow},
      {"round -32769", [] { round_to_i16(-32769.0); }, ErrorKind::overflow},
      {"index -1", [] { checked_index(-1, 513); }, ErrorKind::out_of_bounds},
      {"index size", [] { checked_index(513, 513); }, ErrorKind::out_of_bounds},
      {"index of empty", [] { checked_index(0, 0); }, ErrorKind::out_of_bounds},
  };
  for (const FaultCase& c : cases) {
    try {
      c.op();
      ADD_FAILURE() << c.name << ": no error";
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.kind(), c.kind) << c.name;
      EXPECT_NE(std::string(e.what()), "") << c.name;
    }
  }
}

TEST(CheckedMath, ValuesInRangePassUnchanged) {
  EXPECT_EQ(checked_div(1, 4), 0.25);
  EXPECT_EQ(checked_div(0, 5), 0.0);
  EXPECT_EQ(checked_mul(DBL_MIN, 0.5), DBL_MIN * 0.5);  // underflow is not an error
  EXPECT_EQ(checked_sqrt(0), 0.0);
  EXPECT_EQ(checked_sqrt(2.25), 1.5);
  EXPECT_EQ(checked_add_i32(i32_max - 1, 1), i32_max);
  EXPECT_EQ(checked_sub_i32(0, i32_max), -i32_max);
  EXPECT_EQ(checked_mul_i32(-1, 256), -256);
  EXPECT_EQ(checked_add_i16(-32768, 32767), -1);
  EXPECT_EQ(to_i16(-32768), -32768);
  EXPECT_EQ(checked_index(512, 513), 512u);
}

TEST(CheckedMath, ErrorTextsNameTheFault) {
  const auto what = [](const std::function<void()>& op) -> std::string {
    try {
      op();
    } catch (const RunTimeError& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(what([] { checked_div(1, 0); }), "Division by zero");
  EXPECT_EQ(what([] { checked_mul_i32(i32_max, 2); }), "Overflow");
}

TEST(RoundToInteger, NearestWithTiesToEven) {
  struct Case {
    double value;
    std::int32_t rounded;
  };
  const Case cases[] = {
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {-3.5, -4},
      {0.5, 0},
      {-0.5, 0},
      {1.5, 2},
      {2.4999, 2},
      {2.5001, 3},
      {-2.6, -3},
      {0.49999999999999994, 0},
      {1e-300, 0},
      {495.5, 496},
      {496.5, 496},
      {2147483647.4, i32_max},
      {-2147483648.5, i32_min},
      {2147483646.5, 2147483646},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(round_to_i32(c.value), c.rounded) << "value " << c.value;
  }
  EXPECT_EQ(round_to_i16(32766.5), 32766);
  EXPECT_EQ(round_to_i16(-32768.5), -32768);
  EXPECT_EQ(round_to_i16(-1.5), -2);
}

}  // namespace
}  // namespace quelnor::util
