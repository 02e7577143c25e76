// A driver-library decorator that records every chip register access, one line each, in
// the order they happen: "W 80 B0" for a write, "R 8F 02" for a read and its byte.
#pragma once

#include <functional>
#include <utility>
#include <string>

#include "link/driver_library.h"

namespace quelnor::link {

class TracingDriver final : public DriverLibrary {
 public:
  using Sink = std::function<void(const std::string& line)>;
  TracingDriver(DriverLibrary& inner, Sink sink) : inner_(inner), sink_(std::move(sink)) {}

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
                              std::uint8_t* data) override;

 private:
  DriverLibrary& inner_;
  Sink sink_;
};

}  // namespace quelnor::link
