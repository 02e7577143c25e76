// Port paths as text.
#include "link/libusb/port_path.h"

#include <charconv>

namespace quelnor::link::libusb {

std::string port_path_text(const BoardLocation& location) {
  std::string text = std::to_string(location.bus) + "-";
  for (std::size_t i = 0; i < location.ports.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(location.ports[i]);
  }
  return text;
}

namespace {

// A decimal number 0..255 filling the whole text.
std::optional<std::uint8_t> small_number(std::string_view text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > 255) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(value);
}

}  // namespace

std::optional<BoardLocation> parse_port_path(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto bus = small_number(text.substr(0, dash));
  if (!bus) return std::nullopt;
  BoardLocation location;
  location.bus = *bus;
  std::string_view rest = text.substr(dash + 1);
  while (true) {
    const std::size_t dot = rest.find('.');
    const auto port = small_number(rest.substr(0, dot));
    if (!port || *port == 0) return std::nullopt;
    location.ports.push_back(*port);
    if (location.ports.size() > 7) return std::nullopt;
    if (dot == std::string_view::npos) break;
    rest = rest.substr(dot + 1);
  }
  return location;
}

}  // namespace quelnor::link::libusb
