// The faults an operator or a test can switch on in the virtual board, by name, and the
// questions the board and the chip ask of them.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quelnor::sim {

class FaultSet {
 public:
  // Switches a fault on (or, for "off", off). Raises std::invalid_argument for an unknown
  // name or a bad argument, leaving the set unchanged.
  void apply(const std::string& name, const std::vector<std::string>& args);
  std::vector<std::string> active() const;
  static std::string help();

  bool no_board() const { return no_board_; }
  bool firmware_refused() const { return firmware_refused_; }
  bool reads_back_wrong(std::uint8_t reg) const { return readback_registers_.count(reg) != 0; }
  bool data_never_valid() const { return data_never_valid_; }
  // Number of points after which the sweep reports complete, if cut short.
  std::optional<int> complete_after_points() const { return complete_early_points_; }
  bool zero_data_at(int point_index) const {
    return zero_data_point_ && *zero_data_point_ == point_index;
  }
  // Called once per vendor request: true when this request is to fail.
  bool take_request_drop();
  // Relative change of the impedance under test per second of a sweep (0.05 = 5 %/s).
  double drift_fraction_per_s() const { return drift_fraction_per_s_; }

 private:
  bool no_board_ = false;
  bool firmware_refused_ = false;
  std::set<std::uint8_t> readback_registers_;
  bool data_never_valid_ = false;
  std::optional<int> complete_early_points_;
  std::optional<int> zero_data_point_;
  bool drop_all_ = false;
  std::optional<long long> requests_until_drop_;  // 1: the next request fails
  double drift_fraction_per_s_ = 0.0;
  std::string drift_text_;  // as the operator typed it, for active()
};

}  // namespace quelnor::sim
