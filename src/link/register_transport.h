// Single-register access to the converter chip over vendor request 0xDE, and the
// verifying writes that compare a read-back and tell the operator when it differs. Bytes
// only: what the bytes mean to the chip is composed in `converter`.
#pragma once

#include <cstdint>
#include <string>

#include "link/usb_stuff.h"
#include "util/operator_dialogs.h"

namespace quelnor::link {

constexpr std::int32_t chip_bus_address = 13;
constexpr std::uint8_t register_request_code = 0xDE;

class RegisterTransport {
 public:
  // box_title: the title of the read-back mismatch boxes.
  RegisterTransport(USB_STUFF& usb, util::OperatorDialogs& dialogs, std::string box_title);

  // The byte read, 0..255. A failed request raises RunTimeError(board_not_answering).
  std::int16_t read_register(std::int32_t device, std::int32_t reg);
  // Writes data (index = data * 256 + reg, checked 32-bit); returns the request status.
  // A failed request raises RunTimeError(board_not_answering).
  std::int16_t write_register(std::int32_t device, std::int32_t reg, std::int32_t data);

  // Writes data to the chip, reads the register back and, when the byte differs, shows
  // mismatch_text in a box with one OK button; the caller goes on either way.
  void write_and_compare(std::int32_t reg, std::int32_t data, const char* mismatch_text);
  void write_register_verified(std::int32_t reg, std::int32_t data);
  void write_register_checked(std::int32_t reg, std::int32_t data);

  // How many mismatch boxes the verifying writes have shown so far: a caller compares the
  // count before and after a step to learn whether the chip took every byte.
  int mismatches_shown() const { return mismatches_shown_; }

 private:
  USB_STUFF& usb_;
  util::OperatorDialogs& dialogs_;
  std::string box_title_;
  int mismatches_shown_ = 0;
};

}  // namespace quelnor::link
