// The boards subcommand over the fake USB bus: the virtual board always, each board of the
// vendor by its port path with its firmware state, and a bus that cannot be listed.
#include "cli/boards_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/libusb/fake_usb.h"

namespace quelnor::cli {
namespace {

using link::libusb::LibusbDriver;

UsbBoardLister lister_over(LibusbDriver& driver) {
  return [&driver](std::vector<LibusbDriver::ListedBoard>& found, std::string& error) {
    if (driver.list_boards(found)) return true;
    error = driver.last_error();
    return false;
  };
}

TEST(Boards, ListsTheVirtualBoardAndEachUsbBoardByPortPath) {
  link::libusb::test::FakeUsb usb;
  usb.add_device(1, {4, 2}, 5);
  usb.add_device(3, {1}, 2, 0x0456, 0xB204);
  usb.add_device(1, {3}, 7, 0x046d, 0xC52B);
  LibusbDriver driver(usb.calls());
  std::ostringstream out, err;
  EXPECT_EQ(run_boards(lister_over(driver), out, err), 0);
  EXPECT_EQ(out.str(),
            "BOARD               USB        FIRMWARE\n"
            "sim                 -          virtual board, always available\n"
            "usb:1-4.2           0456:b203  not loaded\n"
            "usb:3-1             0456:b204  loaded\n");
  EXPECT_EQ(err.str(), "");
}

TEST(Boards, AnUnreadableBusStillListsTheVirtualBoardAndSaysWhy) {
  link::libusb::test::FakeUsb usb;
  usb.list_status = link::libusb::UsbStatus::access;
  LibusbDriver driver(usb.calls());
  std::ostringstream out, err;
  EXPECT_EQ(run_boards(lister_over(driver), out, err), 1);
  EXPECT_NE(out.str().find("sim "), std::string::npos);
  EXPECT_NE(err.str().find("cannot list the USB boards: "), std::string::npos) << err.str();
}

}  // namespace
}  // namespace quelnor::cli
