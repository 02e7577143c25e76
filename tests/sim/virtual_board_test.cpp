// The virtual board seen through the driver-library seam: connection, firmware, request
// packing, the register file and the command state machine with its timing.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sim/board_fixture.h"

namespace quelnor::sim::testing {
namespace {

using VirtualBoardTest = BoardFixture;

// The software's sweep loop over the registers: start 30000 Hz at MCLK 16 MHz, delta code
// 67, N increments. It reads the complete bit after each point's data, then increments.
TEST_F(VirtualBoardTest, HandWrittenSweepMeasuresExactlyNPlusOnePoints) {
  constexpr int increments = 5;
  start_sweep(0x0F5C28, 67, increments, 15, 0x01);
  int points = 0;
  int complete = read(0x8F) & 0x04;
  EXPECT_EQ(complete, 0);
  while (complete != 0x04 && points < 100) {
    if ((read(0x8F) & 0x02) == 0) write(0x80, 0x41);
    const DataPoint point = wait_and_read_point();
    EXPECT_NEAR(point.magnitude(), 9739.0, 9739.0 * 0.01) << "point " << points;
    ++points;
    complete = read(0x8F) & 0x04;
    write(0x80, 0x31);
  }
  EXPECT_EQ(points, increments + 1);
  EXPECT_EQ(read(0x80), 0x31);
}

}  // namespace
}  // namespace quelnor::sim::testing
