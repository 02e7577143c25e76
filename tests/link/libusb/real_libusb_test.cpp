// The driver over the real libusb, whatever is plugged in: it constructs without touching
// USB, and without a connection a download and a request fail with a reason.
#include <gtest/gtest.h>

#include <array>

#include "link/libusb/libusb_driver.h"

namespace quelnor::link::libusb {
namespace {

TEST(RealLibusbTest, WithoutAConnectionDownloadAndRequestsFailWithAReason) {
  LibusbDriver driver;
  EXPECT_EQ(driver.last_error(), "");

  std::array<std::uint8_t, 128> ids{};
  std::int32_t count = -1;
  driver.Search_For_Boards(0x0456, 0xB203, count, ids.data());
  ASSERT_GE(count, 0);
  for (std::int32_t i = 0; i < count; ++i) EXPECT_EQ(ids[i], i + 1);

  const std::uint8_t path[] = "/nonexistent/Quelnor_FW.hex";
  EXPECT_LT(driver.Download_Firmware(0, path), 0);
  std::uint8_t buffer[1] = {};
  EXPECT_LT(driver.Vendor_Request(0, 0xDE, 13, 0x80, 1, 1, buffer), 0);
  EXPECT_NE(driver.last_error(), "");
}

}  // namespace
}  // namespace quelnor::link::libusb
