// The board a subcommand measures with: the virtual board (on a virtual clock, with the
// analyzer's noise floor) or the real one over libusb, found and loaded once, traced to a
// file on request, and handed to the engine as its BoardAccess.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "instrument/board_access.h"

namespace quelnor::sim {
class VirtualBoard;
}

namespace quelnor::cli {

struct BoardRequest {
  std::string kind = "sim";    // "sim" or "usb"
  std::string usb_port_path;   // "usb" only: the board at this port path; empty: the first
  std::string trace_path;      // empty: no register trace
  std::string executable_dir;  // holds the firmware image
  double feedback_resistance_ohm = 100e3;
  std::optional<std::string> dut;  // the virtual board's impedance under test
  // The virtual board at the chip's own pace on the system clock, so a window sees each
  // point arrive as it would from a real board; otherwise on a virtual clock, as fast as
  // the computer allows.
  bool real_time = false;
};

class OpenedBoard {
 public:
  // Raises std::runtime_error with a one-line reason when the board cannot be used (no
  // board, firmware refused, trace file not writable, --dut on a real board, a bad DUT).
  explicit OpenedBoard(const BoardRequest& request);
  ~OpenedBoard();

  instrument::BoardAccess& access();
  sim::VirtualBoard* virtual_board();  // nullptr on a real board

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The request for a --board option's text ("sim", "usb", "usb:PATH"); raises
// std::invalid_argument with a one-line reason when the text is malformed.
BoardRequest board_request(const std::string& board_option);

// The folder of the running program, where its firmware image lies.
std::string program_dir();

}  // namespace quelnor::cli
