// Register-access trace lines.
#include "link/tracing_driver.h"

#include <cstdio>

#include "link/register_transport.h"

namespace quelnor::link {

std::int16_t TracingDriver::Vendor_Request(std::int32_t board_handle, std::uint8_t request,
                                           std::int32_t value, std::int32_t index,
                                           std::uint8_t direction, std::int32_t length,
                                           std::uint8_t* data) {
  const std::int16_t status = ForwardingDriver::Vendor_Request(board_handle, request, value, index,
                                                               direction, length, data);
  if (request != register_request_code) return status;
  char line[32];
  if (direction == 1) {
    // A read that failed or brought no byte back leaves the buffer stale: no byte to show.
    if (status < 1) {
      std::snprintf(line, sizeof line, "R %02X --", static_cast<unsigned>(index & 0xFF));
    } else {
      std::snprintf(line, sizeof line, "R %02X %02X", static_cast<unsigned>(index & 0xFF),
                    static_cast<unsigned>(data[0]));
    }
  } else {
    std::snprintf(line, sizeof line, "W %02X %02X", static_cast<unsigned>(index & 0xFF),
                  static_cast<unsigned>((index >> 8) & 0xFF));
  }
  sink_(line);
  return status;
}

}  // namespace quelnor::link
