// Loads firmware into the FX2 USB controller's RAM over its built-in load request, starts
// it, and follows the board when the new firmware makes it enumerate again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/libusb/board_connection.h"
#include "link/libusb/fx2_ram_image.h"
#include "link/libusb/usb_calls.h"

namespace quelnor::link::libusb {

// Vendor request the controller's USB core answers itself, even with its CPU held in reset:
// value = RAM address, index = 0, data stage = the bytes (host to device).
inline constexpr std::uint8_t fx2_load_request = 0xA0;
// CPU control/status register; bit 0 holds the 8051 in reset while set.
inline constexpr std::uint16_t fx2_cpucs_address = 0xE600;
inline constexpr unsigned fx2_request_timeout_ms = 1000;

// After the CPU starts, the firmware may drop off the bus and enumerate anew at a new
// address. It is given 300 ms to leave, then looked for every 100 ms until about 3 s.
inline constexpr unsigned fx2_settle_ms = 300;
inline constexpr unsigned fx2_poll_ms = 100;
inline constexpr int fx2_polls = 28;  // 300 ms + 27 x 100 ms = 3 s

// Holds the CPU in reset, writes every chunk, releases reset and waits for the board to come
// back. When it enumerates again it is reopened and `connection` takes the new handle; when
// it stays, the handle is kept. Empty on success, otherwise the reason for the operator.
// A board that leaves the bus for good is marked gone.
std::string fx2_load_ram(const UsbCalls& calls, BoardConnection& connection,
                         const std::vector<RamChunk>& chunks);

}  // namespace quelnor::link::libusb
