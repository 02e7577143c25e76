// Each fault of the virtual board, switched on and off through VirtualBoard::fault.
#include "sim/faults.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/board_fixture.h"

namespace quelnor::sim::testing {
namespace {

constexpr std::uint32_t code_30khz = 0x0F5C28;

using BoardFaults = BoardFixture;

TEST_F(BoardFaults, NoBoardEmptiesTheSearchAndRefusesConnections) {
  board.fault("no-board", {});
  std::int32_t count = 9;
  std::uint8_t ids[128] = {};
  board.Search_For_Boards(0x0456, 0xB203, count, ids);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ids[0], 0);
  std::int32_t new_handle = 1;
  board.Connect(0x0456, 0xB203, 1, new_handle);
  EXPECT_EQ(new_handle, 0);

  board.fault("off", {"no-board"});
  EXPECT_TRUE(open());
}

TEST_F(BoardFaults, FirmwareRefusedFailsEveryDownloadUntilCleared) {
  board.fault("firmware-refused", {});
  EXPECT_FALSE(open());
  EXPECT_FALSE(open()) << "a retry meets the same fault";
  std::uint8_t byte = 0;
  EXPECT_LT(board.Vendor_Request(handle, 0xDE, 13, 0x8F, 1, 1, &byte), 0);
  board.fault("off", {"firmware-refused"});
  EXPECT_TRUE(open());
}

TEST_F(BoardFaults, ReadbackFaultChangesOnlyThatRegistersReads) {
  board.fault("readback", {"80"});
  write(0x80, 0xB0);
  EXPECT_NE(read(0x80), 0xB0);
  write(0x8B, 0x0F);
  EXPECT_EQ(read(0x8B), 0x0F);
  // Several registers can be faulted; the address may carry 0x and lower-case digits.
  board.fault("readback", {"0x8b"});
  EXPECT_NE(read(0x8B), 0x0F);
  board.fault("off", {"readback"});
  EXPECT_EQ(read(0x80), 0xB0);
  EXPECT_EQ(read(0x8B), 0x0F);
}

TEST_F(BoardFaults, DataNeverValidKeepsTheStatusBitClear) {
  board.fault("data-never-valid", {});
  start_sweep(code_30khz, 67, 3);
  clock.advance(60.0);
  for (int poll = 0; poll < 50; ++poll) EXPECT_EQ(read(0x8F) & 0x06, 0);
  write(0x80, 0x41);
  clock.advance(60.0);
  EXPECT_EQ(read(0x8F) & 0x06, 0);
  board.fault("off", {"data-never-valid"});
  EXPECT_EQ(read(0x8F) & 0x02, 0x02);
}

TEST_F(BoardFaults, CompleteEarlyEndsTheSweepAfterKPoints) {
  board.fault("complete-early", {"3"});
  start_sweep(code_30khz, 67, 10);
  EXPECT_EQ(run_sweep_loop(20).size(), 3u);
  board.fault("off", {"complete-early"});
  start_sweep(code_30khz, 67, 10);
  EXPECT_EQ(run_sweep_loop(20).size(), 11u);
}

TEST_F(BoardFaults, ZeroDataHitsExactlyPointKOfEachSweep) {
  board.fault("zero-data", {"2"});
  for (int sweep = 0; sweep < 2; ++sweep) {
    start_sweep(code_30khz, 67, 4);
    const std::vector<DataPoint> points = run_sweep_loop(10);
    ASSERT_EQ(points.size(), 5u);
    for (std::size_t k = 0; k < points.size(); ++k) {
      if (k == 2) {
        EXPECT_EQ(points[k].real, 0.0);
        EXPECT_EQ(points[k].imaginary, 0.0);
      } else {
        EXPECT_GT(points[k].magnitude(), 9000.0) << "point " << k;
      }
    }
  }
}

TEST_F(BoardFaults, DropRequestFailsTheNthRequestOnce) {
  write(0x8B, 0x0F);
  board.fault("drop-request", {"3"});
  std::uint8_t buffer[1] = {0xEE};
  EXPECT_GE(board.Vendor_Request(handle, 0xDE, 13, 0x8B, 1, 1, buffer), 0);
  EXPECT_GE(board.Vendor_Request(handle, 0xDE, 13, 0x8B, 1, 1, buffer), 0);
  buffer[0] = 0xEE;
  EXPECT_LT(board.Vendor_Request(handle, 0xDE, 13, 0x8B, 1, 1, buffer), 0);
  EXPECT_EQ(buffer[0], 0xEE) << "a failed read fills nothing";
  EXPECT_GE(board.Vendor_Request(handle, 0xDE, 13, 0x8B, 1, 1, buffer), 0);
  EXPECT_TRUE(board.active_faults().empty());
  // A dropped write does not reach the chip.
  board.fault("drop-request", {"1"});
  EXPECT_LT(write(0x8B, 0x22), 0);
  EXPECT_EQ(read(0x8B), 0x0F);
}

TEST_F(BoardFaults, DropRequestAllActsAsAnUnpluggedBoardUntilCleared) {
  board.fault("drop-request", {"all"});
  std::uint8_t buffer[1] = {0};
  for (int i = 0; i < 20; ++i) {
    EXPECT_LT(board.Vendor_Request(handle, 0xDE, 13, 0x8F, 1, 1, buffer), 0);
  }
  EXPECT_LT(write(0x8B, 1), 0);
  board.fault("off", {"drop-request"});
  EXPECT_GE(board.Vendor_Request(handle, 0xDE, 13, 0x8F, 1, 1, buffer), 0);
}

TEST_F(BoardFaults, ActiveFaultsAreListedAndOffAllClearsThem) {
  board.fault("no-board", {});
  board.fault("readback", {"8a"});
  board.fault("complete-early", {"4"});
  board.fault("zero-data", {"0"});
  board.fault("drop-request", {"12"});
  EXPECT_EQ(board.active_faults(),
            (std::vector<std::string>{"no-board", "readback 8A", "complete-early 4", "zero-data 0",
                                      "drop-request 12"}));
  board.fault("off", {"all"});
  EXPECT_TRUE(board.active_faults().empty());
}

TEST_F(BoardFaults, UnknownNamesAndBadArgumentsAreRefusedAndChangeNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
  };
  const std::vector<Case> cases = {
      {"no-such-fault", {}},      {"no-board", {"1"}},
      {"readback", {}},           {"readback", {"100"}},
      {"readback", {"8G"}},       {"readback", {""}},
      {"complete-early", {"0"}},  {"complete-early", {"3x"}},
      {"complete-early", {"-1"}}, {"zero-data", {"-1"}},
      {"zero-data", {"1", "2"}},  {"drop-request", {"0"}},
      {"drop-request", {"some"}}, {"off", {}},
      {"off", {"nothing"}},       {"drift", {}},
      {"drift", {"fast"}},        {"drift", {"101"}},
      {"drift", {"5%"}},          {"drift", {"nan"}},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(board.fault(c.name, c.args), std::invalid_argument) << c.name;
  }
  EXPECT_TRUE(board.active_faults().empty());
}

// The impedance changes in proportion to the time since the sweep started: a repeat one
// second later on a 10 %/s drift measures 11 kOhm where 10 kOhm was.
TEST_F(BoardFaults, DriftChangesTheImpedanceWithTheTimeSinceTheSweepStarted) {
  board.set_dut("R100k");
  board.fault("drift", {"10"});
  EXPECT_EQ(board.active_faults(), std::vector<std::string>{"drift 10"});
  start_sweep(code_30khz, 0, 1);
  const double at_start = wait_and_read_point().magnitude();
  clock.advance(1.0);
  write(0x80, 0x41);  // repeat
  const double one_second_later = wait_and_read_point().magnitude();
  // The data follow the admittance of the loop: the impedance plus 200 Ohm of range 1.
  const double expected = (100e3 + 200) / (110e3 + 200);
  EXPECT_NEAR(one_second_later / at_start, expected, 0.003);

  // A new sweep starts from the circuit's own value again; off stops the drift.
  board.fault("drift", {"-20"});
  start_sweep(code_30khz, 0, 1);
  EXPECT_NEAR(wait_and_read_point().magnitude() / at_start, 1.0, 0.003);
  board.fault("off", {"drift"});
  EXPECT_TRUE(board.active_faults().empty());
  clock.advance(1.0);
  write(0x80, 0x41);
  EXPECT_NEAR(wait_and_read_point().magnitude() / at_start, 1.0, 0.003);
}

TEST(FaultHelp, DocumentsEveryFaultNameOnItsOwnLine) {
  const std::string help = VirtualBoard::fault_help();
  for (const char* name :
       {"no-board", "firmware-refused", "readback REG", "data-never-valid", "complete-early K",
        "zero-data K", "drop-request N", "drop-request all", "drift PCT", "off NAME"}) {
    EXPECT_TRUE(help.find(std::string("\n") + name) != std::string::npos ||
                help.rfind(name, 0) == 0)
        << name;
  }
}

}  // namespace
}  // namespace quelnor::sim::testing
