// The USB call table over the real libusb-1.0, on a private libusb context that lives as
// long as the table's copies do.
#pragma once

#include "link/libusb/usb_calls.h"

namespace quelnor::link::libusb {

UsbCalls real_usb_calls();

}  // namespace quelnor::link::libusb
