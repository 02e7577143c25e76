// The virtual board seen through the driver-library seam: boards found and connected, the
// firmware download, request packing and the register file.
#include "sim/virtual_board.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/board_fixture.h"

namespace quelnor::sim::testing {
namespace {

std::int16_t download(VirtualBoard& board, std::int32_t handle, const std::string& path) {
  return board.Download_Firmware(handle, reinterpret_cast<const std::uint8_t*>(path.c_str()));
}

TEST(VirtualBoardConnection, SearchReportsEveryAttachedBoardFirstIdFirst) {
  util::VirtualClock clock;
  VirtualBoardOptions options;
  options.boards_attached = 2;
  VirtualBoard board(clock, options);
  std::int32_t count = 0;
  std::uint8_t ids[128] = {};
  board.Search_For_Boards(0x0456, 0xB203, count, ids);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], 0);

  std::int32_t first = 0;
  std::int32_t second = 0;
  board.Connect(0x0456, 0xB203, ids[0], first);
  board.Connect(0x0456, 0xB203, ids[1], second);
  EXPECT_NE(first, 0);
  EXPECT_NE(second, 0);
  EXPECT_NE(first, second);
  // Each board has its own firmware state.
  EXPECT_EQ(download(board, first, firmware_image_path()), 0);
  std::uint8_t byte = 0;
  EXPECT_GE(board.Vendor_Request(first, 0xDE, 13, 0x8F, 1, 1, &byte), 0);
  EXPECT_LT(board.Vendor_Request(second, 0xDE, 13, 0x8F, 1, 1, &byte), 0);
}

TEST(VirtualBoardConnection, OtherDeviceOrUnknownIdGivesNoUsableHandle) {
  util::VirtualClock clock;
  VirtualBoard board(clock);
  std::int32_t count = 5;
  std::uint8_t ids[128] = {};
  board.Search_For_Boards(0x0457, 0xB203, count, ids);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ids[0], 0);

  struct Case {
    std::int32_t vendor;
    std::int32_t product;
    std::uint8_t id;
  };
  for (const Case c : {Case{0x0456, 0xB203, 0}, Case{0x0456, 0xB203, 2}, Case{0x0456, 0xB204, 1},
                       Case{0x1234, 0xB203, 1}}) {
    std::int32_t handle = 77;
    board.Connect(c.vendor, c.product, c.id, handle);
    EXPECT_EQ(handle, 0) << "id " << int{c.id};
    EXPECT_LT(download(board, handle, firmware_image_path()), 0);
  }
}

class FirmwareDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    folder =
        std::filesystem::temp_directory_path() /
        ("quelnor_sim_fw_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    std::int32_t count = 0;
    std::uint8_t ids[128] = {};
    board.Search_For_Boards(0x0456, 0xB203, count, ids);
    board.Connect(0x0456, 0xB203, ids[0], handle);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::string write_file(const std::string& name, const std::string& content) {
    const std::filesystem::path path = folder / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  bool requests_work() {
    std::uint8_t byte = 0;
    return board.Vendor_Request(handle, 0xDE, 13, 0x8F, 1, 1, &byte) >= 0;
  }

  util::VirtualClock clock;
  VirtualBoard board{clock};
  std::int32_t handle = 0;
  std::filesystem::path folder;
};

TEST_F(FirmwareDownload, ShippedImageLoadsAndOpensTheRequests) {
  EXPECT_FALSE(requests_work());
  EXPECT_EQ(download(board, handle, firmware_image_path()), 0);
  EXPECT_TRUE(requests_work());
}

TEST_F(FirmwareDownload, RefusedImagesLeaveTheBoardClosed) {
  struct Case {
    const char* what;
    std::string path;
  };
  const std::vector<Case> cases = {
      {"missing file", (folder / "absent.hex").string()},
      {"empty path", ""},
      {"a folder", folder.string()},
      {"empty file", write_file("empty.hex", "")},
      {"bad checksum", write_file("sum.hex", ":0200000080FE81\n:00000001FF\n")},
      {"no end record", write_file("noend.hex", ":0200000080FE80\n")},
      {"not hex at all", write_file("text.hex", "firmware\n")},
  };
  for (const Case& c : cases) {
    EXPECT_LT(download(board, handle, c.path), 0) << c.what;
    EXPECT_FALSE(requests_work()) << c.what;
  }
}

TEST_F(FirmwareDownload, FailedDownloadAfterAGoodOneClosesTheBoardAgain) {
  ASSERT_EQ(download(board, handle, firmware_image_path()), 0);
  EXPECT_LT(download(board, handle, (folder / "absent.hex").string()), 0);
  EXPECT_FALSE(requests_work());
  EXPECT_EQ(download(board, handle, firmware_image_path()), 0);
  EXPECT_TRUE(requests_work());
}

TEST_F(FirmwareDownload, PathWithoutTerminatorIsRefusedWithoutReadingPastTheBuffer) {
  std::vector<std::uint8_t> buffer(513, 'a');  // the caller's buffer, no NUL anywhere
  EXPECT_LT(board.Download_Firmware(handle, buffer.data()), 0);
  EXPECT_LT(board.Download_Firmware(handle, nullptr), 0);
}

TEST_F(FirmwareDownload, ImageWithCrLfLineEndsAndLowerCaseDigitsLoads) {
  const std::string path =
      write_file("crlf.hex", ":020000040000fa\r\n:0200000080fe80\r\n:00000001ff\r\n");
  EXPECT_EQ(download(board, handle, path), 0);
}

using VirtualBoardRequests = BoardFixture;

TEST_F(VirtualBoardRequests, MalformedRequestsFailAndLeaveTheBufferAlone) {
  struct Case {
    const char* what;
    std::uint8_t request;
    std::int32_t value;
    std::int32_t index;
    std::uint8_t direction;
    std::int32_t length;
  };
  const Case cases[] = {
      {"other request code", 0xDD, 13, 0x8F, 1, 1},
      {"other bus address", 0xDE, 12, 0x8F, 1, 1},
      {"bus address in a wider value", 0xDE, 13 + 256, 0x8F, 1, 1},
      {"read of a register above 255", 0xDE, 13, 0x18F, 1, 1},
      {"read of a negative register", 0xDE, 13, -1, 1, 1},
      {"read of no bytes", 0xDE, 13, 0x8F, 1, 0},
      {"write with bits above 15", 0xDE, 13, 0x10080, 0, 0},
      {"write with a negative index", 0xDE, 13, -118, 0, 0},
      {"negative length", 0xDE, 13, 0xB080, 0, -1},
      {"unknown direction", 0xDE, 13, 0x8F, 2, 1},
  };
  write(0x8B, 0x0F);
  for (const Case& c : cases) {
    std::uint8_t buffer[2] = {0xEE, 0xEE};
    EXPECT_LT(
        board.Vendor_Request(handle, c.request, c.value, c.index, c.direction, c.length, buffer), 0)
        << c.what;
    EXPECT_EQ(buffer[0], 0xEE) << c.what;
  }
  // None of them reached the chip.
  EXPECT_EQ(read(0x8B), 0x0F);
  std::uint8_t byte = 0;
  EXPECT_LT(board.Vendor_Request(handle + 1, 0xDE, 13, 0x8F, 1, 1, &byte), 0);
  EXPECT_LT(board.Vendor_Request(0, 0xDE, 13, 0x8F, 1, 1, &byte), 0);
}

TEST_F(VirtualBoardRequests, WriteCarriesDataInTheHighByteOfTheIndex) {
  std::uint8_t unused = 0;
  EXPECT_GE(board.Vendor_Request(handle, 0xDE, 13, 0x4780, 0, 0, &unused), 0);
  EXPECT_EQ(read(0x80), 0x47);
  EXPECT_GE(board.Vendor_Request(handle, 0xDE, 13, 0x2C89, 0, 0, nullptr), 0);
  EXPECT_EQ(read(0x89), 0x2C);
}

TEST_F(VirtualBoardRequests, EveryWritableRegisterReadsBackTheByteLastWritten) {
  for (int reg = 0x80; reg <= 0x8B; ++reg) {
    for (int value : {0x00, 0x5A, 0xA5, 0xB0, 0x27, 0xFF}) {
      write(reg, value);
      EXPECT_EQ(read(reg), value) << std::hex << "register 0x" << reg << " value 0x" << value;
    }
  }
}

TEST_F(VirtualBoardRequests, ReadOnlyRegistersIgnoreWrites) {
  const DataPoint before = measure();
  for (int reg : {0x8F, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97}) {
    const int value = read(reg);
    write(reg, value ^ 0xFF);
    EXPECT_EQ(read(reg), value) << std::hex << "register 0x" << reg;
  }
  const DataPoint after = read_data();
  EXPECT_EQ(after.real, before.real);
  EXPECT_EQ(after.imaginary, before.imaginary);
}

TEST_F(VirtualBoardRequests, EveryRequestAdvancesTheVirtualClockByTheLatency) {
  const double before = clock.elapsed();
  read(0x8F);
  write(0x8B, 1);
  std::uint8_t byte = 0;
  board.Vendor_Request(handle, 0x00, 13, 0x8F, 1, 1, &byte);  // a failing one too
  EXPECT_NEAR(clock.elapsed() - before, 3 * 0.001, 1e-5);     // clock reads add microseconds
}

TEST_F(VirtualBoardRequests, MalformedCircuitKeepsThePreviousOne) {
  EXPECT_EQ(board.dut(), "R200k");
  EXPECT_THROW(board.set_dut("R1k+"), std::invalid_argument);
  EXPECT_EQ(board.dut(), "R200k");
  board.set_dut("R100k");
  EXPECT_EQ(board.dut(), "R100k");
}

}  // namespace
}  // namespace quelnor::sim::testing
