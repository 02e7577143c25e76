// --board usb and usb:PATH on the fake USB bus with two boards: the first one, the one in
// the named socket, none in an empty socket, and a malformed path refused in one line.
#include "app/usb_board_driver.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

#include "fake_usb.h"
#include "link/driver_library.h"

namespace quelnor::app {
namespace {

using link::libusb::test::FakeDevice;
using link::libusb::test::FakeUsb;

// Connects to the first board the driver finds and writes one register; the device the
// write reached, or nullptr when no board was found.
const FakeDevice* board_reached(FakeUsb& usb, link::libusb::LibusbDriver& driver) {
  std::array<std::uint8_t, 128> ids{};
  std::int32_t count = 0;
  if (driver.Search_For_Boards(link::board_vendor_id, link::board_product_id, count,
                               ids.data()) < 0 ||
      count == 0) {
    return nullptr;
  }
  std::int32_t handle = 0;
  if (driver.Connect(link::board_vendor_id, link::board_product_id, ids[0], handle) != 0)
    return nullptr;
  std::uint8_t unused = 0;
  if (driver.Vendor_Request(handle, 0xDE, 13, 0x4780, 0, 0, &unused) != 0) return nullptr;
  return usb.transfers.back().device;
}

TEST(UsbBoardDriver, TakesTheFirstBoardOrOnlyTheOneAtThePortPath) {
  FakeUsb usb;
  const FakeDevice& first = usb.add_device(1, {4, 2}, 5);
  const FakeDevice& second = usb.add_device(1, {4, 3}, 6);

  auto any = usb_board_driver("", usb.calls());
  EXPECT_EQ(board_reached(usb, *any), &first);
  auto at_port = usb_board_driver("1-4.3", usb.calls());
  EXPECT_EQ(board_reached(usb, *at_port), &second);
  auto empty_socket = usb_board_driver("2-1", usb.calls());
  EXPECT_EQ(board_reached(usb, *empty_socket), nullptr);
  EXPECT_NE(empty_socket->last_error().find("2-1"), std::string::npos)
      << empty_socket->last_error();
}

TEST(UsbBoardDriver, AMalformedPortPathIsRefusedInOneLine) {
  FakeUsb usb;
  for (const char* path : {"1", "1-", "x-1", "1-4..2"}) {
    try {
      usb_board_driver(path, usb.calls());
      FAIL() << path << " was accepted";
    } catch (const std::invalid_argument& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find(std::string("--board usb:") + path + ":"), std::string::npos) << what;
      EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    }
  }
}

}  // namespace
}  // namespace quelnor::app
