// Texts for the backend's USB statuses.
#include "link/libusb/usb_status.h"

namespace quelnor::link::libusb {

const char* usb_status_phrase(UsbStatus status) {
  switch (status) {
    case UsbStatus::ok:
      return "success";
    case UsbStatus::io:
      return "input/output error";
    case UsbStatus::invalid_param:
      return "invalid parameter";
    case UsbStatus::access:
      return "access denied";
    case UsbStatus::no_device:
      return "device disconnected";
    case UsbStatus::not_found:
      return "device not found";
    case UsbStatus::busy:
      return "device busy";
    case UsbStatus::timeout:
      return "timed out";
    case UsbStatus::overflow:
      return "device sent too much data";
    case UsbStatus::pipe:
      return "request refused (stall)";
    case UsbStatus::interrupted:
      return "interrupted";
    case UsbStatus::no_memory:
      return "out of memory";
    case UsbStatus::not_supported:
      return "operation not supported";
    case UsbStatus::other:
      return "unknown USB error";
  }
  return "unknown USB error";
}

std::string describe_usb_failure(UsbStatus status, const std::string& action) {
  const std::string head = "Could not " + action + ": ";
  switch (status) {
    case UsbStatus::access:
      return head +
             "no permission to use the Quelnor evaluation board (USB 0456:B203). On Linux, "
             "install the udev rule packaging/60-quelnor-eval.rules (sudo cp "
             "packaging/60-quelnor-eval.rules /etc/udev/rules.d/ && sudo udevadm control "
             "--reload-rules), then unplug and replug the board.";
    case UsbStatus::no_device:
      return head +
             "the board has left the USB bus (unplugged or lost power). Reconnect it and "
             "restart the program.";
    case UsbStatus::busy:
      return head + "the board is in use by another program. Close that program and retry.";
    case UsbStatus::timeout:
      return head + "the board did not answer in time. Check the USB cable and the board's power.";
    case UsbStatus::not_supported:
      return head +
             "the operating system gives no access to the board. On Windows, bind the board "
             "to the WinUSB driver (for example with Zadig) and replug it.";
    default:
      return head + usb_status_phrase(status) + ".";
  }
}

}  // namespace quelnor::link::libusb
