// The real-board driver of --board usb and usb:PATH, shared by every mode: the first board
// on the bus, or only the one at that USB port path.
#pragma once

#include <memory>
#include <string>

#include "link/libusb/libusb_driver.h"
#include "link/libusb/usb_calls.h"

namespace quelnor::app {

// Raises std::invalid_argument with a one-line reason when port_path is not BUS-PORT[.PORT...].
// The default calls are the real libusb; tests pass a fake bus.
std::unique_ptr<link::libusb::LibusbDriver> usb_board_driver(const std::string& port_path);
std::unique_ptr<link::libusb::LibusbDriver> usb_board_driver(const std::string& port_path,
                                                             link::libusb::UsbCalls calls);

}  // namespace quelnor::app
