// A driver-library decorator that records every chip register access, one line each, in
// the order they happen: "W 80 B0" for a write, "R 8F 02" for a read and its byte.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "link/forwarding_driver.h"

namespace quelnor::link {

class TracingDriver final : public ForwardingDriver {
 public:
  using Sink = std::function<void(const std::string& line)>;
  TracingDriver(DriverLibrary& inner, Sink sink)
      : ForwardingDriver(inner), sink_(std::move(sink)) {}

  std::int16_t Vendor_Request(std::int32_t board_handle, std::uint8_t request, std::int32_t value,
                              std::int32_t index, std::uint8_t direction, std::int32_t length,
                              std::uint8_t* data) override;

 private:
  Sink sink_;
};

}  // namespace quelnor::link
