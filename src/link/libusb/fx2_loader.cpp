// FX2 RAM firmware load and the wait for re-enumeration.
#include "link/libusb/fx2_loader.h"

#include <cstdio>

namespace quelnor::link::libusb {

namespace {

// bmRequestType: vendor request to the device, host to device.
constexpr std::uint8_t vendor_out = 0x40;

std::string hex4(unsigned value) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
  return text;
}

TransferResult write_ram(const UsbCalls& calls, UsbHandle handle, std::uint16_t address,
                         const std::uint8_t* bytes, std::size_t count) {
  ControlSetup setup;
  setup.request_type = vendor_out;
  setup.request = fx2_load_request;
  setup.value = address;
  setup.index = 0;
  setup.length = static_cast<std::uint16_t>(count);
  // The data stage is only read for an OUT transfer; the copy keeps the caller's bytes const.
  std::vector<std::uint8_t> buffer(bytes, bytes + count);
  return calls.control_transfer(handle, setup, buffer.data(), fx2_request_timeout_ms);
}

// A write that failed or moved fewer bytes than asked: the reason, or empty.
std::string write_problem(BoardConnection& connection, const TransferResult& result,
                          std::size_t count, const std::string& action) {
  if (result.status != UsbStatus::ok) {
    if (result.status == UsbStatus::no_device) connection.gone = true;
    return describe_usb_failure(result.status, action);
  }
  if (static_cast<std::size_t>(result.transferred) != count) {
    return "Could not " + action + ": the board took " + std::to_string(result.transferred) +
           " of " + std::to_string(count) + " bytes.";
  }
  return {};
}

std::string set_cpu_reset(const UsbCalls& calls, BoardConnection& connection, bool hold) {
  const std::uint8_t cpucs = hold ? 0x01 : 0x00;
  const TransferResult result = write_ram(calls, connection.handle, fx2_cpucs_address, &cpucs, 1);
  // Once the CPU runs, the firmware may take the board off the bus before the request's
  // status stage completes: the load has happened, so that counts as done.
  if (!hold && (result.status == UsbStatus::io || result.status == UsbStatus::no_device)) {
    return {};
  }
  return write_problem(connection, result, 1,
                       hold ? "stop the board's controller for the firmware load"
                            : "start the firmware on the board");
}

// Follows the board after its CPU started. Empty when it is usable again (reopened, or it
// never left); otherwise the reason.
std::string follow_reenumeration(const UsbCalls& calls, BoardConnection& connection) {
  calls.sleep_ms(fx2_settle_ms);
  bool seen_gone = false;
  bool seen_unchanged = false;  // found where and as it was, no gap seen before
  std::string open_problem;
  for (int poll = 0; poll < fx2_polls; ++poll) {
    if (poll > 0) calls.sleep_ms(fx2_poll_ms);
    const BusSnapshot snapshot(calls);
    if (snapshot.status() != UsbStatus::ok) continue;
    // Found again by where it sits and its vendor: the firmware may give the board
    // another product id than the one it was opened with.
    const BoardSighting* here = nullptr;
    const std::vector<BoardSighting> boards = snapshot.boards(connection.vendor_id);
    for (const BoardSighting& board : boards) {
      if (board.location == connection.location) here = &board;
    }
    if (here == nullptr) {
      seen_gone = true;
      continue;
    }
    // The same address and product without a gap is still the device opened before the load.
    if (!seen_gone && here->address == connection.address &&
        here->product_id == connection.product_id) {
      seen_unchanged = true;
      continue;
    }
    UsbHandle fresh;
    const UsbStatus status = open_and_claim(calls, here->device, fresh);
    if (status != UsbStatus::ok) {
      // Right after enumeration the system may not yet have granted access; try again.
      open_problem = describe_usb_failure(status, "reopen the board after its firmware started");
      continue;
    }
    release_and_close(calls, connection.handle);
    connection.handle = fresh;
    connection.address = here->address;
    connection.product_id = here->product_id;
    return {};
  }
  if (!seen_gone && seen_unchanged && open_problem.empty()) return {};  // it stayed: keep it
  // The handle opened before the load belongs to a device that has left.
  connection.gone = true;
  if (!open_problem.empty()) return open_problem;
  return "The board was not found on the USB bus again within 3 s after its firmware started. "
         "Check the firmware image and the USB connection.";
}

}  // namespace

std::string fx2_load_ram(const UsbCalls& calls, BoardConnection& connection,
                         const std::vector<RamChunk>& chunks) {
  if (std::string problem = set_cpu_reset(calls, connection, true); !problem.empty()) {
    return problem;
  }
  for (const RamChunk& chunk : chunks) {
    const TransferResult result =
        write_ram(calls, connection.handle, chunk.address, chunk.bytes.data(), chunk.bytes.size());
    std::string problem = write_problem(connection, result, chunk.bytes.size(),
                                        "load the firmware at " + hex4(chunk.address));
    if (!problem.empty()) return problem;
  }
  if (std::string problem = set_cpu_reset(calls, connection, false); !problem.empty()) {
    return problem;
  }
  return follow_reenumeration(calls, connection);
}

}  // namespace quelnor::link::libusb
