// The backend's own vocabulary for what a USB call returned, and the operator-facing texts
// for it. libusb's error codes become these in one place (libusb_calls.cpp).
#pragma once

#include <string>

namespace quelnor::link::libusb {

enum class UsbStatus {
  ok,
  io,             // transfer failed on the wire
  invalid_param,  // the call was malformed
  access,         // the operating system refused access to the device
  no_device,      // the device has left the bus
  not_found,      // the device or interface is not there
  busy,           // another program (or handle) holds the interface
  timeout,        // the device did not answer in time
  overflow,       // the device sent more than asked
  pipe,           // the device stalled the request
  interrupted,
  no_memory,
  not_supported,  // no usable driver bound to the device (WinUSB on Windows)
  other,
};

// A short lower-case phrase such as "timed out", for use inside a longer sentence.
const char* usb_status_phrase(UsbStatus status);

// A whole sentence for the operator: what went wrong while doing `action` ("opening the
// board", "reading from the board") and, where there is one, what to do about it.
std::string describe_usb_failure(UsbStatus status, const std::string& action);

}  // namespace quelnor::link::libusb
