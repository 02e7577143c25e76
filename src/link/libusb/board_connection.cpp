// Opening and closing a board connection.
#include "link/libusb/board_connection.h"

namespace quelnor::link::libusb {

UsbStatus open_and_claim(const UsbCalls& calls, UsbDevice device, UsbHandle& handle) {
  UsbHandle opened;
  const UsbStatus open_status = calls.open(device, opened);
  if (open_status != UsbStatus::ok) return open_status;
  const UsbStatus claim_status = calls.claim_interface(opened, board_interface);
  if (claim_status != UsbStatus::ok) {
    calls.close(opened);
    return claim_status;
  }
  handle = opened;
  return UsbStatus::ok;
}

void release_and_close(const UsbCalls& calls, UsbHandle handle) {
  calls.release_interface(handle, board_interface);
  calls.close(handle);
}

}  // namespace quelnor::link::libusb
