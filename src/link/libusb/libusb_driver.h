// The real evaluation board over libusb-1.0: the driver-library seam's four operations,
// with a readable reason for the last failure.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/driver_library.h"
#include "link/libusb/board_connection.h"
#include "link/libusb/bus_snapshot.h"
#include "link/libusb/usb_calls.h"

namespace quelnor::link::libusb {

// Board identifiers are 1-based positions in the last search, in bus order; handles are
// small positive numbers, never reused. Any failure returns a negative status and leaves its
// reason in last_error(). USB is set up on first use, so constructing the driver on a
// machine without USB access succeeds.
class LibusbDriver final : public DriverLibrary {
 public:
  // Over the real libusb.
  LibusbDriver();
  // Over the given call table (tests).
  explicit LibusbDriver(UsbCalls calls);
  ~LibusbDriver() override;
  LibusbDriver(const LibusbDriver&) = delete;
  LibusbDriver& operator=(const LibusbDriver&) = delete;

  // Request timeout of a vendor request, in milliseconds.
  static constexpr unsigned request_timeout_ms = 1000;

  std::int32_t Search_For_Boards(std::int32_t vendor_id, std::int32_t product_id,
                                 std::int32_t& board_count, std::uint8_t* board_ids) override;
  std::int32_t Connect(std::int32_t vendor_id, std::int32_t product_id, std::uint8_t board_id,
                       std::int32_t& board_handle) override;
  std::int16_t Download_Firmware(std::int32_t board_handle, const std::uint8_t* path) override;
  std::int16_t Vendor_Request(std::int32_t board_handle, std::uint8_t request, std::int32_t value,
                              std::int32_t index, std::uint8_t direction, std::int32_t length,
                              std::uint8_t* data) override;

  // Every device of the board's vendor on the bus, in bus order, whatever its product id
  // (its firmware may have changed it). False, with the reason in last_error(), when the
  // bus cannot be listed.
  struct ListedBoard {
    BoardLocation location;
    std::uint16_t product_id = 0;
  };
  bool list_boards(std::vector<ListedBoard>& boards);

  // From now on a search finds only the board at this place on the bus (nullopt: any), so
  // that one program drives the board in one socket while another drives the next.
  void restrict_to(std::optional<BoardLocation> location) { only_at_ = std::move(location); }

  // A sentence for the operator on what went wrong last and what to do; empty if nothing has.
  std::string last_error() const { return last_error_; }

 private:
  bool ensure_usb();
  BoardConnection* resolve(std::int32_t board_handle);
  std::int16_t fail(std::string reason);

  UsbCalls calls_;  // first member: outlives the connections closed in the destructor
  bool usb_ready_ = false;
  std::uint16_t searched_vendor_id_ = 0;
  std::uint16_t searched_product_id_ = 0;
  std::vector<BoardLocation> search_result_;
  std::optional<BoardLocation> only_at_;
  std::map<std::int32_t, BoardConnection> connections_;
  std::int32_t next_handle_ = 1;
  std::string last_error_;
};

}  // namespace quelnor::link::libusb
