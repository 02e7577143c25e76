// A board's place on the USB bus as text, "BUS-PORT.PORT..." (for example "1-4.2", the form
// Linux uses in /sys/bus/usb/devices), so an operator can name the socket a board is in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/libusb/bus_snapshot.h"

namespace quelnor::link::libusb {

std::string port_path_text(const BoardLocation& location);

// The location the text names; nullopt when it is not BUS-PORT[.PORT...] with numbers 1..255
// (bus 0 allowed) and at most seven ports, as USB hubs nest.
std::optional<BoardLocation> parse_port_path(std::string_view text);

}  // namespace quelnor::link::libusb
