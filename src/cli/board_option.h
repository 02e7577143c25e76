// The --board option of every mode: "sim" (the virtual board), "usb" (the first board on
// the bus) or "usb:PATH" (the board at that USB port path, as `quelnor-eval boards` lists).
#pragma once

#include <string>

namespace quelnor::cli {

struct BoardChoice {
  bool usb = false;
  std::string port_path;  // empty: the first board found
};

// Raises std::invalid_argument with a one-line reason for anything else, including a
// malformed port path.
BoardChoice parse_board_option(const std::string& text);

// The text parse_board_option reads back ("sim", "usb", "usb:1-4.2").
std::string board_option_text(const BoardChoice& choice);

}  // namespace quelnor::cli
