// Parsing, listing and bookkeeping of the virtual board's faults.
#include "sim/faults.h"

#include <charconv>
#include <stdexcept>

namespace quelnor::sim {
namespace {

void expect_args(const std::string& name, const std::vector<std::string>& args, std::size_t count,
                 const char* usage) {
  if (args.size() != count) {
    throw std::invalid_argument("fault " + name + ": usage: " + usage);
  }
}

long long whole_number(const std::string& name, const std::string& text, long long minimum,
                       long long maximum) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < minimum ||
      value > maximum) {
    throw std::invalid_argument("fault " + name + ": '" + text + "' is not a whole number from " +
                                std::to_string(minimum) + " to " + std::to_string(maximum));
  }
  return value;
}

std::uint8_t register_address(const std::string& text) {
  std::string digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits = digits.substr(2);
  }
  unsigned value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      value > 0xFF) {
    throw std::invalid_argument("fault readback: '" + text +
                                "' is not a register address in hex (00 to FF)");
  }
  return static_cast<std::uint8_t>(value);
}

std::string hex_byte(std::uint8_t value) {
  const char* digits = "0123456789ABCDEF";
  return {digits[value >> 4], digits[value & 0xF]};
}

constexpr long long largest_count = 1'000'000'000;
// A drift faster than the impedance itself: the impedance would pass zero within a second.
constexpr double largest_drift_percent_per_s = 100.0;

double drift_percent(const std::string& text) {
  double value = 0.0;
  const char* begin = text.data();
  if (!text.empty() && text[0] == '+') ++begin;
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !(value >= -largest_drift_percent_per_s && value <= largest_drift_percent_per_s)) {
    throw std::invalid_argument("fault drift: '" + text +
                                "' is not a percentage per second from -100 to 100");
  }
  return value;
}

}  // namespace

void FaultSet::apply(const std::string& name, const std::vector<std::string>& args) {
  if (name == "no-board") {
    expect_args(name, args, 0, "no-board");
    no_board_ = true;
  } else if (name == "firmware-refused") {
    expect_args(name, args, 0, "firmware-refused");
    firmware_refused_ = true;
  } else if (name == "readback") {
    expect_args(name, args, 1, "readback REG (hex, e.g. 80)");
    readback_registers_.insert(register_address(args[0]));
  } else if (name == "data-never-valid") {
    expect_args(name, args, 0, "data-never-valid");
    data_never_valid_ = true;
  } else if (name == "complete-early") {
    expect_args(name, args, 1, "complete-early K (points, 1 or more)");
    complete_early_points_ = static_cast<int>(whole_number(name, args[0], 1, 511));
  } else if (name == "zero-data") {
    expect_args(name, args, 1, "zero-data K (point, 0 = the first)");
    zero_data_point_ = static_cast<int>(whole_number(name, args[0], 0, 511));
  } else if (name == "drop-request") {
    expect_args(name, args, 1, "drop-request N (1 = the next request) | drop-request all");
    if (args[0] == "all") {
      drop_all_ = true;
    } else {
      requests_until_drop_ = whole_number(name, args[0], 1, largest_count);
    }
  } else if (name == "drift") {
    expect_args(name, args, 1, "drift PCT (percent per second, e.g. 2 or -0.5)");
    drift_fraction_per_s_ = drift_percent(args[0]) / 100.0;
    drift_text_ = args[0];
  } else if (name == "off") {
    expect_args(name, args, 1, "off NAME | off all");
    const std::string& which = args[0];
    if (which == "all") {
      *this = FaultSet{};
    } else if (which == "no-board") {
      no_board_ = false;
    } else if (which == "firmware-refused") {
      firmware_refused_ = false;
    } else if (which == "readback") {
      readback_registers_.clear();
    } else if (which == "data-never-valid") {
      data_never_valid_ = false;
    } else if (which == "complete-early") {
      complete_early_points_.reset();
    } else if (which == "zero-data") {
      zero_data_point_.reset();
    } else if (which == "drop-request") {
      drop_all_ = false;
      requests_until_drop_.reset();
    } else if (which == "drift") {
      drift_fraction_per_s_ = 0.0;
      drift_text_.clear();
    } else {
      throw std::invalid_argument("fault off: unknown fault '" + which + "'");
    }
  } else {
    throw std::invalid_argument("unknown fault '" + name + "'");
  }
}

std::vector<std::string> FaultSet::active() const {
  std::vector<std::string> list;
  if (no_board_) list.push_back("no-board");
  if (firmware_refused_) list.push_back("firmware-refused");
  for (std::uint8_t reg : readback_registers_) list.push_back("readback " + hex_byte(reg));
  if (data_never_valid_) list.push_back("data-never-valid");
  if (complete_early_points_) {
    list.push_back("complete-early " + std::to_string(*complete_early_points_));
  }
  if (zero_data_point_) list.push_back("zero-data " + std::to_string(*zero_data_point_));
  if (drop_all_) list.push_back("drop-request all");
  if (requests_until_drop_) {
    list.push_back("drop-request " + std::to_string(*requests_until_drop_));
  }
  if (drift_fraction_per_s_ != 0.0) list.push_back("drift " + drift_text_);
  return list;
}

std::string FaultSet::help() {
  return "no-board            the search finds no board and connecting fails\n"
         "firmware-refused    every firmware download fails\n"
         "readback REG        reads of register REG (hex, e.g. 80) return another byte than "
         "written\n"
         "data-never-valid    the data-valid status bit (0x02) never sets\n"
         "complete-early K    the sweep-complete bit (0x04) sets with the K-th point of a sweep\n"
         "zero-data K         point K of a sweep (0 = the first) reads R = I = 0\n"
         "drop-request N      the N-th request from now fails (1 = the next), once\n"
         "drop-request all    every request fails, as with an unplugged board\n"
         "drift PCT           the impedance under test changes by PCT percent per second of "
         "a sweep\n"
         "off NAME            clears that fault; off all clears every fault\n";
}

bool FaultSet::take_request_drop() {
  if (drop_all_) return true;
  if (!requests_until_drop_) return false;
  if (--*requests_until_drop_ > 0) return false;
  requests_until_drop_.reset();
  return true;
}

}  // namespace quelnor::sim
