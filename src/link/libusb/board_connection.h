// An opened board with its interface claimed, and where it sits on the bus so it can be
// found again after it enumerates anew.
#pragma once

#include <cstdint>

#include "link/libusb/bus_snapshot.h"
#include "link/libusb/usb_calls.h"

namespace quelnor::link::libusb {

// The board's vendor requests go to the device, but the operating system hands a program
// the device only with an interface claimed; the board has the one interface 0.
inline constexpr int board_interface = 0;

struct BoardConnection {
  UsbHandle handle;
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
  BoardLocation location;
  std::uint8_t address = 0;
  // Set when the board has left the bus: every later request fails at once.
  bool gone = false;
};

// Opens the device and claims the board interface. On failure nothing stays open.
UsbStatus open_and_claim(const UsbCalls& calls, UsbDevice device, UsbHandle& handle);

// Releases the interface and closes the handle (both may fail quietly when the board is gone).
void release_and_close(const UsbCalls& calls, UsbHandle handle);

}  // namespace quelnor::link::libusb
