// The boards subcommand.
#include "cli/boards_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iomanip>
#include <iostream>

#include "link/driver_library.h"
#include "link/libusb/port_path.h"

namespace quelnor::cli {

namespace {

std::string usb_identity(std::uint16_t product_id) {
  char text[16];
  std::snprintf(text, sizeof text, "%04x:%04x", static_cast<unsigned>(link::board_vendor_id),
                static_cast<unsigned>(product_id));
  return text;
}

void row(std::ostream& out, const std::string& board, const std::string& usb,
         const std::string& state) {
  out << std::left << std::setw(20) << board << std::setw(11) << usb << state << "\n";
}

}  // namespace

int run_boards(const UsbBoardLister& lister, std::ostream& out, std::ostream& err) {
  std::vector<link::libusb::LibusbDriver::ListedBoard> boards;
  std::string error;
  const bool listed = lister(boards, error);
  row(out, "BOARD", "USB", "FIRMWARE");
  row(out, "sim", "-", "virtual board, always available");
  for (const auto& board : boards) {
    // At power-up the board presents its own product id and waits for its firmware; a
    // board answering with another one of the vendor's ids is running firmware.
    const bool loaded = board.product_id != link::board_product_id;
    row(out, "usb:" + link::libusb::port_path_text(board.location), usb_identity(board.product_id),
        loaded ? "loaded" : "not loaded");
  }
  if (!listed) {
    err << "boards: cannot list the USB boards: " << error << "\n";
    return 1;
  }
  return 0;
}

void add_boards_command(CLI::App& app, int& exit_code) {
  CLI::App* boards =
      app.add_subcommand("boards", "List the boards (virtual and USB, by port path) for --board");
  boards->callback([&exit_code] {
    link::libusb::LibusbDriver driver;
    exit_code = run_boards(
        [&driver](std::vector<link::libusb::LibusbDriver::ListedBoard>& found, std::string& error) {
          if (driver.list_boards(found)) return true;
          error = driver.last_error();
          return false;
        },
        std::cout, std::cerr);
  });
}

}  // namespace quelnor::cli
