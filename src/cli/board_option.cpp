// Reading the --board option.
#include "cli/board_option.h"

#include <stdexcept>

#ifdef QUELNOR_HAVE_LIBUSB
#include "link/libusb/port_path.h"
#endif

namespace quelnor::cli {

BoardChoice parse_board_option(const std::string& text) {
  if (text == "sim") return {};
  if (text == "usb") return {true, {}};
  const std::string prefix = "usb:";
  if (text.rfind(prefix, 0) != 0) {
    throw std::invalid_argument("--board " + text +
                                ": takes sim, usb or usb:PATH (e.g. usb:1-4.2)");
  }
  const std::string path = text.substr(prefix.size());
#ifdef QUELNOR_HAVE_LIBUSB
  if (!link::libusb::parse_port_path(path)) {
    throw std::invalid_argument("--board " + text +
                                ": a USB port path is BUS-PORT[.PORT...] with numbers, e.g. "
                                "usb:1-4.2 (quelnor-eval boards lists them)");
  }
#else
  throw std::invalid_argument("--board " + text +
                              ": this build has no real-board backend (libusb); use sim");
#endif
  return {true, path};
}

std::string board_option_text(const BoardChoice& choice) {
  if (!choice.usb) return "sim";
  return choice.port_path.empty() ? "usb" : "usb:" + choice.port_path;
}

}  // namespace quelnor::cli
