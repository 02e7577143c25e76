// The virtual evaluation board: a driver-library backend with a register-level model of
// the converter chip measuring a circuit expression, and switchable faults.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/driver_library.h"
#include "util/clock.h"

namespace quelnor::sim {

struct VirtualBoardOptions {
  // Time one USB request takes. On a virtual clock the clock is advanced by it; with
  // real_time the board sleeps for it.
  double request_latency_s = 0.001;
  bool real_time = false;
  std::uint64_t noise_seed = 1;
  double noise_rms_fraction = 0.0005;  // of the signal, per data register pair
  // White noise of each ADC sample in LSB rms (of 2048 full scale); the single-bin DFT
  // averages it down by sqrt(512). Off by default so the classic window's recorded
  // results stay as they are; 3 LSB is a realistic floor for the analyzer's tests.
  double adc_noise_lsb_rms = 0.0;
  // The board's transimpedance resistor between the impedance under test and the ADC.
  double feedback_resistance_ohm = 100e3;
  int boards_attached = 1;
};

class VirtualBoard final : public link::DriverLibrary {
 public:
  explicit VirtualBoard(util::Clock& clock, VirtualBoardOptions options = {});
  ~VirtualBoard() override;

  std::int32_t Search_For_Boards(std::int32_t vendor_id, std::int32_t product_id,
                                 std::int32_t& board_count, std::uint8_t* board_ids) override;
  std::int32_t Connect(std::int32_t vendor_id, std::int32_t product_id, std::uint8_t board_id,
                       std::int32_t& board_handle) override;
  std::int16_t Download_Firmware(std::int32_t board_handle, const std::uint8_t* path) override;
  std::int16_t Vendor_Request(std::int32_t board_handle, std::uint8_t request, std::int32_t value,
                              std::int32_t index, std::uint8_t direction, std::int32_t length,
                              std::uint8_t* data) override;

  // The impedance under test, e.g. "R200k", "(R200k||C15p)+R200k". A malformed expression
  // raises std::invalid_argument whose text names the position and what was expected; the
  // previous circuit then stays.
  void set_dut(const std::string& expression);
  const std::string& dut() const;

  // The feedback resistor fitted on the board, in ohms; a value that is not a positive
  // finite number raises std::invalid_argument and the resistor stays as it was.
  void set_feedback_resistance(double ohm);
  double feedback_resistance() const;

  // Faults, by name (see fault_help()): args as the operator typed them. Unknown names or
  // bad arguments raise std::invalid_argument. "off NAME" / "off all" clear.
  void fault(const std::string& name, const std::vector<std::string>& args);
  std::vector<std::string> active_faults() const;
  static std::string fault_help();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quelnor::sim
