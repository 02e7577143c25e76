// The board-link module: one connection attempt (search, connect, firmware download) and
// the start-up loop with its Retry/Cancel box. Holds the board handle for the rest of the
// run and the buffer every register read lands in.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/driver_library.h"
#include "util/operator_dialogs.h"

namespace quelnor::link {

class USB_STUFF {
 public:
  // executable_dir: the folder holding the program, without a trailing separator.
  USB_STUFF(DriverLibrary& driver, util::OperatorDialogs& dialogs, std::string executable_dir);

  // One complete connection attempt; returns the download status (negative = failed).
  std::int16_t open_board();

  // Copies the path as 8-bit characters plus a NUL into firmware_path_buffer. Returns
  // false (nothing copied) when the path does not fit or has a character outside 8 bits.
  bool path_to_bytes(std::string_view path);

  // Attempts until the board is ready (true) or the operator gives up (false): the caller
  // then ends the program without showing a window.
  bool start_up();

  DriverLibrary& driver() { return driver_; }

  // Called after each failed attempt, before the Retry/Cancel box: the place where a
  // backend that knows why the attempt failed can say so (the box text itself is fixed).
  std::function<void()> on_failed_attempt;

  std::int32_t board_handle = 0;
  std::string firmware_path;
  std::array<std::uint8_t, 513> firmware_path_buffer{};
  std::array<std::uint8_t, 21> read_buffer{};

 private:
  DriverLibrary& driver_;
  util::OperatorDialogs& dialogs_;
  std::string executable_dir_;
};

}  // namespace quelnor::link
