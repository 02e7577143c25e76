// Steps the libusb backend's tests share: a small firmware image and start-up's search and
// connect.
#pragma once

#include <array>
#include <cstdint>

#include "link/libusb/libusb_driver.h"

namespace quelnor::link::libusb::test {

// Two chunks: code RAM from 0x0000 (two adjacent records) and the data block at 0xE000.
inline const char* const small_image =
    ":03000000020006F5\n"
    ":0200030080FE7D\n"
    ":02E00000C0DE80\n"
    ":00000001FF\n";

// Search, then connect to the first board as start-up does; returns the handle.
inline std::int32_t connect_first_board(LibusbDriver& driver) {
  std::array<std::uint8_t, 128> ids{};
  std::int32_t count = 0;
  driver.Search_For_Boards(0x0456, 0xB203, count, ids.data());
  std::int32_t handle = -1;
  driver.Connect(0x0456, 0xB203, ids[0], handle);
  return handle;
}

}  // namespace quelnor::link::libusb::test
