// A driver-library decorator base: passes every call to the wrapped library, so a
// decorator overrides only the calls it watches or changes.
#pragma once

#include "link/driver_library.h"

namespace quelnor::link {

class ForwardingDriver : public DriverLibrary {
 public:
  explicit ForwardingDriver(DriverLibrary& inner) : inner_(inner) {}

  std::int32_t Search_For_Boards(std::int32_t vendor_id, std::int32_t product_id,
                                 std::int32_t& board_count, std::uint8_t* board_ids) override {
    return inner_.Search_For_Boards(vendor_id, product_id, board_count, board_ids);
  }
  std::int32_t Connect(std::int32_t vendor_id, std::int32_t product_id, std::uint8_t board_id,
                       std::int32_t& board_handle) override {
    return inner_.Connect(vendor_id, product_id, board_id, board_handle);
  }
  std::int16_t Download_Firmware(std::int32_t board_handle, const std::uint8_t* path) override {
    return inner_.Download_Firmware(board_handle, path);
  }
  std::int16_t Vendor_Request(std::int32_t board_handle, std::uint8_t request, std::int32_t value,
                              std::int32_t index, std::uint8_t direction, std::int32_t length,
                              std::uint8_t* data) override {
    return inner_.Vendor_Request(board_handle, request, value, index, direction, length, data);
  }

 private:
  DriverLibrary& inner_;
};

}  // namespace quelnor::link
