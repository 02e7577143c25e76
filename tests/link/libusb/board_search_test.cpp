// Several boards on the fake bus: listing them by port path, picking one by its port, and
// finding a board again after its firmware load when it comes back with another product id.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "board_steps.h"
#include "fake_usb.h"
#include "link/libusb/libusb_driver.h"
#include "link/libusb/port_path.h"

namespace quelnor::link::libusb {
namespace {

using test::connect_first_board;
using test::FakeDevice;
using test::FakeUsb;
using test::ScriptedAnswer;
using test::small_image;

std::int16_t write_register(LibusbDriver& driver, std::int32_t handle) {
  std::uint8_t unused = 0;
  return driver.Vendor_Request(handle, 0xDE, 13, 0x4780, 0, 0, &unused);
}

class ImageFile {
 public:
  ImageFile()
      : path_(std::filesystem::temp_directory_path() /
              ("quelnor_board_search_" + std::to_string(::getpid()) + ".hex")) {
    std::ofstream(path_, std::ios::binary) << small_image;
  }
  ~ImageFile() { std::filesystem::remove(path_); }
  const std::uint8_t* path() const {
    text_ = path_.string();
    return reinterpret_cast<const std::uint8_t*>(text_.c_str());
  }

 private:
  std::filesystem::path path_;
  mutable std::string text_;
};

TEST(BoardSearch, FirmwareLoadFindsTheBoardAgainWhateverItsProductId) {
  struct Case {
    const char* name;
    bool gap;  // the board leaves the bus for a while before it comes back
    std::uint8_t new_address;
  };
  for (const Case c : {Case{"new address after a gap", true, 9},
                       Case{"same address, no gap, new product id", false, 5}}) {
    SCOPED_TRACE(c.name);
    FakeUsb usb;
    FakeDevice& before = usb.add_device(1, {4, 2}, 5);
    usb.add_device(1, {4, 3}, 6);  // another board elsewhere is not mistaken for it
    FakeDevice* after = nullptr;
    usb.answers = {{}, {}, {}, ScriptedAnswer{UsbStatus::io, 0, {}}};
    usb.on_sleep = [&](unsigned sleep_number) {
      if (sleep_number == 1) before.present = false;
      if (sleep_number == (c.gap ? 3u : 1u)) {
        after = &usb.add_device(1, {4, 2}, c.new_address, 0x0456, 0xB204);
      }
    };
    ImageFile image;
    LibusbDriver driver(usb.calls());
    const std::int32_t handle = connect_first_board(driver);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(driver.Download_Firmware(handle, image.path()), 0) << driver.last_error();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(write_register(driver, handle), 0) << driver.last_error();
    EXPECT_EQ(usb.transfers.back().device, after) << "the handle follows the reopened board";
    EXPECT_EQ(usb.open_handles(), 1);
    EXPECT_EQ(usb.claimed_interfaces(), 1);
  }
}

TEST(BoardSearch, ADeviceOfAnotherVendorInTheSameSocketIsNotTakenForTheBoard) {
  FakeUsb usb;
  FakeDevice& before = usb.add_device(1, {4, 2}, 5);
  usb.answers = {{}, {}, {}, ScriptedAnswer{UsbStatus::io, 0, {}}};
  usb.on_sleep = [&](unsigned sleep_number) {
    if (sleep_number == 1) before.present = false;
    if (sleep_number == 3) usb.add_device(1, {4, 2}, 9, 0x1234, 0xB203);
  };
  ImageFile image;
  LibusbDriver driver(usb.calls());
  const std::int32_t handle = connect_first_board(driver);
  EXPECT_LT(driver.Download_Firmware(handle, image.path()), 0);
  EXPECT_NE(driver.last_error().find("not found on the USB bus again"), std::string::npos)
      << driver.last_error();
  EXPECT_LT(write_register(driver, handle), 0);
}

TEST(BoardSearch, ListsEveryBoardOfTheVendorInBusOrderWithItsProductId) {
  FakeUsb usb;
  usb.add_device(2, {1}, 3, 0x0456, 0xB204);
  usb.add_device(1, {4, 2}, 5);
  usb.add_device(1, {3}, 7, 0x046d, 0xC52B);  // a mouse
  LibusbDriver driver(usb.calls());
  std::vector<LibusbDriver::ListedBoard> boards;
  ASSERT_TRUE(driver.list_boards(boards)) << driver.last_error();
  ASSERT_EQ(boards.size(), 2u);
  EXPECT_EQ(port_path_text(boards[0].location), "1-4.2");
  EXPECT_EQ(boards[0].product_id, 0xB203);
  EXPECT_EQ(port_path_text(boards[1].location), "2-1");
  EXPECT_EQ(boards[1].product_id, 0xB204);
  EXPECT_EQ(usb.held_references(), 0);

  usb.list_status = UsbStatus::access;
  EXPECT_FALSE(driver.list_boards(boards));
  EXPECT_FALSE(driver.last_error().empty());
}

TEST(BoardSearch, ARestrictedSearchFindsOnlyTheBoardInThatSocket) {
  FakeUsb usb;
  usb.add_device(1, {4, 2}, 5);
  FakeDevice& wanted = usb.add_device(1, {4, 3}, 6);
  LibusbDriver driver(usb.calls());
  driver.restrict_to(parse_port_path("1-4.3"));
  std::array<std::uint8_t, 128> ids{};
  std::int32_t count = 0;
  EXPECT_EQ(driver.Search_For_Boards(0x0456, 0xB203, count, ids.data()), 1);
  std::int32_t handle = 0;
  ASSERT_EQ(driver.Connect(0x0456, 0xB203, ids[0], handle), 0);
  EXPECT_EQ(write_register(driver, handle), 0);
  EXPECT_EQ(usb.transfers.back().device, &wanted);

  driver.restrict_to(parse_port_path("1-9"));
  EXPECT_LT(driver.Search_For_Boards(0x0456, 0xB203, count, ids.data()), 0);
  EXPECT_EQ(count, 0);
  EXPECT_NE(driver.last_error().find("is at USB port 1-9"), std::string::npos)
      << driver.last_error();
}

TEST(PortPath, TextRoundTripsAndMalformedPathsAreRefused) {
  for (const char* good : {"1-4", "1-4.2", "0-1", "255-1.2.3.4.5.6.7"}) {
    const auto location = parse_port_path(good);
    ASSERT_TRUE(location) << good;
    EXPECT_EQ(port_path_text(*location), good);
  }
  for (const char* bad : {"", "1", "1-", "-4", "1-4.", "1-.4", "1-0", "1-256", "x-1", "1-4a",
                          "1-1.2.3.4.5.6.7.8", "1--4", " 1-4"}) {
    EXPECT_FALSE(parse_port_path(bad)) << bad;
  }
}

}  // namespace
}  // namespace quelnor::link::libusb
