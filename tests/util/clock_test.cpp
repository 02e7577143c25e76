// The virtual clock: time passes only when advanced (plus a tiny step per reading) and the
// time of day wraps at midnight.
#include "util/clock.h"

#include <gtest/gtest.h>

namespace quelnor::util {
namespace {

TEST(VirtualClock, AdvancesOnlyWhenTold) {
  VirtualClock clock(3600.0, 0.0);
  EXPECT_FLOAT_EQ(clock.seconds_since_midnight(), 3600.0f);
  const double start = clock.monotonic_seconds();
  clock.advance(1.25);
  EXPECT_DOUBLE_EQ(clock.monotonic_seconds() - start, 1.25);
  EXPECT_FLOAT_EQ(clock.seconds_since_midnight(), 3601.25f);
}

TEST(VirtualClock, EveryReadingMovesTimeOnSoABusyWaitEnds) {
  VirtualClock clock(0.0, 1e-3);
  const double first = clock.monotonic_seconds();
  int readings = 0;
  while (clock.monotonic_seconds() - first < 0.010) ++readings;
  EXPECT_GE(readings, 9);
  EXPECT_LE(readings, 11);
}

TEST(VirtualClock, TimeOfDayWrapsAtMidnight) {
  VirtualClock clock(86399.5, 0.0);
  clock.advance(1.0);
  EXPECT_NEAR(clock.seconds_since_midnight(), 0.5f, 1e-3);
  clock.advance(86400.0);
  EXPECT_NEAR(clock.seconds_since_midnight(), 0.5f, 1e-3);
  EXPECT_DOUBLE_EQ(clock.monotonic_seconds(), 86401.0);  // the monotonic clock never wraps
}

}  // namespace
}  // namespace quelnor::util
