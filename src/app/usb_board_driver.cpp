// The real-board driver for a --board option.
#include "app/usb_board_driver.h"

#include <stdexcept>

#include "link/libusb/port_path.h"

namespace quelnor::app {
namespace {

void keep_to_port(link::libusb::LibusbDriver& driver, const std::string& port_path) {
  if (port_path.empty()) return;
  const auto location = link::libusb::parse_port_path(port_path);
  if (!location) {
    throw std::invalid_argument("--board usb:" + port_path +
                                ": a USB port path is BUS-PORT[.PORT...], e.g. usb:1-4.2");
  }
  driver.restrict_to(location);
}

}  // namespace

std::unique_ptr<link::libusb::LibusbDriver> usb_board_driver(const std::string& port_path) {
  auto driver = std::make_unique<link::libusb::LibusbDriver>();
  keep_to_port(*driver, port_path);
  return driver;
}

std::unique_ptr<link::libusb::LibusbDriver> usb_board_driver(const std::string& port_path,
                                                             link::libusb::UsbCalls calls) {
  auto driver = std::make_unique<link::libusb::LibusbDriver>(std::move(calls));
  keep_to_port(*driver, port_path);
  return driver;
}

}  // namespace quelnor::app
