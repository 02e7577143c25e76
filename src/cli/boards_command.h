// The boards subcommand: every board this program can drive, with the --board value that
// picks it (the virtual board, and each USB board by its port path).
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "link/libusb/libusb_driver.h"

namespace CLI {
class App;
}

namespace quelnor::cli {

// Lists the USB boards; false with the reason in error when the bus cannot be listed.
using UsbBoardLister =
    std::function<bool(std::vector<link::libusb::LibusbDriver::ListedBoard>&, std::string& error)>;

// Writes the table to out. Returns 0, or 1 when the USB bus could not be listed (the virtual
// board is listed all the same and the reason goes to err).
int run_boards(const UsbBoardLister& lister, std::ostream& out, std::ostream& err);

// Adds the boards subcommand over the real bus; its callback writes to std::cout and
// std::cerr and sets exit_code.
void add_boards_command(CLI::App& app, int& exit_code);

}  // namespace quelnor::cli
