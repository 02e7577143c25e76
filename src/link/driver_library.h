// The driver-library seam: the four board operations with the argument shapes the board's
// driver library has. The virtual board and the libusb backend implement it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quelnor::link {

constexpr std::int32_t board_vendor_id = 0x0456;
constexpr std::int32_t board_product_id = 0xB203;
constexpr std::size_t board_ids_size = 128;

class DriverLibrary {
 public:
  virtual ~DriverLibrary() = default;

  // Fills board_ids (room for 128 bytes) with the identifiers of the attached boards of
  // that vendor and product, first found first, and sets board_count. The result is not
  // examined by the system.
  virtual std::int32_t Search_For_Boards(std::int32_t vendor_id, std::int32_t product_id,
                                         std::int32_t& board_count, std::uint8_t* board_ids) = 0;

  // Connects to the board with that identifier and sets board_handle to a value the two
  // calls below resolve. The result is not examined by the system.
  virtual std::int32_t Connect(std::int32_t vendor_id, std::int32_t product_id,
                               std::uint8_t board_id, std::int32_t& board_handle) = 0;

  // Loads the firmware image named by the NUL-terminated 8-bit path. Negative: not loaded;
  // zero or positive: the board is ready.
  virtual std::int16_t Download_Firmware(std::int32_t board_handle, const std::uint8_t* path) = 0;

  // One vendor control request. direction 1 reads `length` bytes into data, 0 writes
  // `length` bytes from data. Negative status: the request failed; otherwise the number
  // of bytes that went through the data stage (0 for a write, which has none).
  virtual std::int16_t Vendor_Request(std::int32_t board_handle, std::uint8_t request,
                                      std::int32_t value, std::int32_t index,
                                      std::uint8_t direction, std::int32_t length,
                                      std::uint8_t* data) = 0;
};

}  // namespace quelnor::link
