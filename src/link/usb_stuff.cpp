// Start-up and one connection attempt to the evaluation board.
#include "link/usb_stuff.h"

#include <utility>

namespace quelnor::link {

USB_STUFF::USB_STUFF(DriverLibrary& driver, util::OperatorDialogs& dialogs,
                     std::string executable_dir)
    : driver_(driver), dialogs_(dialogs), executable_dir_(std::move(executable_dir)) {}

bool USB_STUFF::path_to_bytes(std::string_view path) {
  // The buffer holds 512 characters and the NUL. A longer path cannot be handed over; the
  // attempt then counts as a failed download. The path is the file system's byte string,
  // so every character is 8 bits; only a NUL inside it would not survive the trip (the
  // library would read a shorter path), so it is refused too.
  if (path.size() > firmware_path_buffer.size() - 1) return false;
  if (path.find('\0') != std::string_view::npos) return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    firmware_path_buffer[i] = static_cast<std::uint8_t>(path[i]);
  }
  firmware_path_buffer[path.size()] = 0;
  return true;
}

std::int16_t USB_STUFF::open_board() {
  std::array<std::uint8_t, board_ids_size> board_ids{};
  std::int32_t board_count = 0;
  driver_.Search_For_Boards(board_vendor_id, board_product_id, board_count, board_ids.data());
  driver_.Connect(board_vendor_id, board_product_id, board_ids[0], board_handle);
  firmware_path = executable_dir_ + "/Quelnor_FW.hex";
  if (!path_to_bytes(firmware_path)) return -1;
  return driver_.Download_Firmware(board_handle, firmware_path_buffer.data());
}

bool USB_STUFF::start_up() {
  for (;;) {
    if (open_board() >= 0) return true;
    if (on_failed_attempt) on_failed_attempt();
    const util::Answer answer =
        dialogs_.show_message({"Firmware failed to download-Check USB connections", "Error",
                               util::Buttons::retry_cancel, true});
    if (answer != util::Answer::retry) return false;
  }
}

}  // namespace quelnor::link
