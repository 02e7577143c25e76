// Single-register access to the converter chip over vendor request 0xDE, and the three
// verifying writes that compare a read-back and tell the operator when it differs.
#pragma once

#include <cstdint>

#include "link/usb_stuff.h"
#include "util/operator_dialogs.h"

namespace quelnor::link {

constexpr std::int32_t chip_bus_address = 13;
constexpr std::uint8_t register_request_code = 0xDE;
constexpr const char* application_title = "Quelnor Beta Version VUD1.0";

class RegisterTransport {
 public:
  RegisterTransport(USB_STUFF& usb, util::OperatorDialogs& dialogs);

  // The byte read, 0..255. A failed request raises RunTimeError(board_not_answering).
  std::int16_t read_register(std::int32_t device, std::int32_t reg);
  // Writes data (index = data * 256 + reg, checked 32-bit); returns the request status.
  // A failed request raises RunTimeError(board_not_answering).
  std::int16_t write_register(std::int32_t device, std::int32_t reg, std::int32_t data);

  void write_register_verified(std::int32_t reg, std::int32_t data);
  void write_register_checked(std::int32_t reg, std::int32_t data);
  // Adds pga_bits and range_bits to data before writing and verifying.
  void write_control_command(std::int32_t reg, std::int32_t data);

  // Gain and excitation-range bits of the control register, set by their option handlers.
  std::int32_t pga_bits = 0;
  std::int32_t range_bits = 0;

 private:
  void write_and_compare(std::int32_t reg, std::int32_t data, const char* mismatch_text);

  USB_STUFF& usb_;
  util::OperatorDialogs& dialogs_;
};

}  // namespace quelnor::link
