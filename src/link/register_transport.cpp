// Register reads and writes over vendor request 0xDE, and the verifying writes.
#include "link/register_transport.h"

#include <cstdio>
#include <string>
#include <utility>

#include "util/checked_math.h"
#include "util/run_time_error.h"

namespace quelnor::link {

namespace {

[[noreturn]] void board_did_not_answer(const char* what, std::int32_t reg) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(reg & 0xFF));
  throw util::RunTimeError(util::ErrorKind::board_not_answering,
                           std::string("The board did not answer the ") + what +
                               " of register 0x" + hex + ". Check the USB connection.");
}

}  // namespace

RegisterTransport::RegisterTransport(USB_STUFF& usb, util::OperatorDialogs& dialogs,
                                     std::string box_title)
    : usb_(usb), dialogs_(dialogs), box_title_(std::move(box_title)) {}

std::int16_t RegisterTransport::read_register(std::int32_t device, std::int32_t reg) {
  // A failed request, or one that brought no byte back, leaves the buffer as it was; its
  // stale byte must never pass for the chip's answer.
  const std::int16_t status = usb_.driver().Vendor_Request(
      usb_.board_handle, register_request_code, device, reg, 1, 1, usb_.read_buffer.data());
  if (status < 1) board_did_not_answer("read", reg);
  return usb_.read_buffer[0];
}

std::int16_t RegisterTransport::write_register(std::int32_t device, std::int32_t reg,
                                               std::int32_t data) {
  // Value = bus address; index = data byte in bits 15..8, register in bits 7..0. No data stage.
  const std::int32_t index = util::checked_add_i32(util::checked_mul_i32(data, 256), reg);
  std::uint8_t unused = 0;
  const std::int16_t status = usb_.driver().Vendor_Request(
      usb_.board_handle, register_request_code, device, index, 0, 0, &unused);
  if (status < 0) board_did_not_answer("write", reg);
  return status;
}

void RegisterTransport::write_and_compare(std::int32_t reg, std::int32_t data,
                                          const char* mismatch_text) {
  write_register(chip_bus_address, reg, data);
  const std::int16_t read_back = read_register(chip_bus_address, reg);
  if (read_back != data) {
    ++mismatches_shown_;
    dialogs_.show_message({mismatch_text, box_title_, util::Buttons::ok, false});
  }
}

void RegisterTransport::write_register_verified(std::int32_t reg, std::int32_t data) {
  write_and_compare(
      reg, data,
      "Error:Invaid data write/readback sequence to part.check power connections: ");
}

void RegisterTransport::write_register_checked(std::int32_t reg, std::int32_t data) {
  write_and_compare(reg, data, "error");
}

}  // namespace quelnor::link
