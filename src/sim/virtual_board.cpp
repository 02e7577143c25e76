// The virtual board as a driver-library backend: boards found and connected, the firmware
// image checked, vendor requests unpacked into chip register accesses, time advanced per
// request.
#include "sim/virtual_board.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "circuit/circuit_expression.h"
#include "link/intel_hex.h"
#include "sim/chip_model.h"
#include "sim/faults.h"

namespace quelnor::sim {
namespace {

constexpr std::int32_t handle_base = 0x5100;
constexpr std::uint8_t chip_request = 0xDE;
constexpr std::int32_t chip_bus_address = 13;
constexpr std::int16_t request_failed = -1;
constexpr std::int16_t download_failed = -1;
// The caller's path buffer holds 512 characters and the NUL.
constexpr std::size_t longest_path = 512;
// Far above what fits the USB controller's program memory.
constexpr std::uintmax_t largest_image_bytes = 1 << 20;
constexpr const char* default_dut = "R200k";

void check_feedback_resistance(double ohm) {
  if (!(ohm > 0.0) || !std::isfinite(ohm)) {
    throw std::invalid_argument("the feedback resistor must be a positive number of ohms");
  }
}

std::optional<std::string> read_image(const std::uint8_t* path) {
  std::string name;
  for (std::size_t i = 0;; ++i) {
    if (i > longest_path) return std::nullopt;  // no NUL where one must be
    if (path[i] == 0) break;
    name.push_back(static_cast<char>(path[i]));
  }
  if (name.empty()) return std::nullopt;
  std::error_code error;
  const std::filesystem::path file(name);
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > largest_image_bytes) return std::nullopt;
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) return std::nullopt;
  return text;
}

}  // namespace

struct VirtualBoard::Impl {
  struct Board {
    std::uint8_t id;
    bool firmware_loaded = false;
    std::unique_ptr<ChipModel> chip;
  };

  Impl(util::Clock& c, VirtualBoardOptions o)
      : clock(c), options(o), dut(circuit::CircuitExpression::parse(default_dut)) {
    check_feedback_resistance(options.feedback_resistance_ohm);
    const int count = std::clamp(options.boards_attached, 0, 127);
    for (int i = 0; i < count; ++i) {
      Board board;
      board.id = static_cast<std::uint8_t>(i + 1);
      board.chip =
          std::make_unique<ChipModel>(dut, faults, options.noise_seed + i,
                                      options.noise_rms_fraction, options.adc_noise_lsb_rms);
      board.chip->set_feedback_resistance(options.feedback_resistance_ohm);
      boards.push_back(std::move(board));
    }
  }

  // One USB transaction's worth of time.
  void pass_request_time() {
    // Time never runs backwards, whatever latency was asked for.
    const double latency_s = options.request_latency_s > 0.0 ? options.request_latency_s : 0.0;
    if (latency_s == 0.0) return;
    clock.advance(latency_s);
    if (options.real_time) {
      std::this_thread::sleep_for(std::chrono::duration<double>(latency_s));
    }
  }

  Board* board_by_id(std::uint8_t id) {
    for (Board& board : boards) {
      if (board.id == id) return &board;
    }
    return nullptr;
  }

  Board* board_by_handle(std::int32_t handle) {
    if (handle <= handle_base || handle > handle_base + 0xFF) return nullptr;
    return board_by_id(static_cast<std::uint8_t>(handle - handle_base));
  }

  static bool is_our_board(std::int32_t vendor_id, std::int32_t product_id) {
    return vendor_id == link::board_vendor_id && product_id == link::board_product_id;
  }

  // The board's state is shared between the thread that measures and the one that changes
  // the impedance under test or the faults (a window's panel); each request and each change
  // holds it. A request's time passes outside it, so a change never waits for a latency.
  mutable std::mutex mutex;
  util::Clock& clock;
  VirtualBoardOptions options;
  FaultSet faults;
  circuit::CircuitExpression dut;
  std::vector<Board> boards;
};

VirtualBoard::VirtualBoard(util::Clock& clock, VirtualBoardOptions options)
    : impl_(std::make_unique<Impl>(clock, options)) {}

VirtualBoard::~VirtualBoard() = default;

std::int32_t VirtualBoard::Search_For_Boards(std::int32_t vendor_id, std::int32_t product_id,
                                             std::int32_t& board_count, std::uint8_t* board_ids) {
  impl_->pass_request_time();
  const std::lock_guard<std::mutex> lock(impl_->mutex);
  board_count = 0;
  if (board_ids == nullptr) return -1;
  if (impl_->faults.no_board() || !Impl::is_our_board(vendor_id, product_id)) return 0;
  for (const Impl::Board& board : impl_->boards) {
    board_ids[board_count++] = board.id;
  }
  return 0;
}

std::int32_t VirtualBoard::Connect(std::int32_t vendor_id, std::int32_t product_id,
                                   std::uint8_t board_id, std::int32_t& board_handle) {
  impl_->pass_request_time();
  const std::lock_guard<std::mutex> lock(impl_->mutex);
  board_handle = 0;
  if (impl_->faults.no_board() || !Impl::is_our_board(vendor_id, product_id)) return -1;
  if (impl_->board_by_id(board_id) == nullptr) return -1;
  board_handle = handle_base + board_id;
  return 0;
}

std::int16_t VirtualBoard::Download_Firmware(std::int32_t board_handle, const std::uint8_t* path) {
  impl_->pass_request_time();
  const std::lock_guard<std::mutex> lock(impl_->mutex);
  Impl::Board* board = impl_->board_by_handle(board_handle);
  if (board == nullptr || path == nullptr) return download_failed;
  // Loading restarts the USB controller, so a refused image leaves it without firmware.
  board->firmware_loaded = false;
  if (impl_->faults.firmware_refused()) return download_failed;
  const std::optional<std::string> image = read_image(path);
  if (!image || !link::parse_intel_hex(*image).problem.empty()) return download_failed;
  board->firmware_loaded = true;
  return 0;
}

std::int16_t VirtualBoard::Vendor_Request(std::int32_t board_handle, std::uint8_t request,
                                          std::int32_t value, std::int32_t index,
                                          std::uint8_t direction, std::int32_t length,
                                          std::uint8_t* data) {
  impl_->pass_request_time();
  const std::lock_guard<std::mutex> lock(impl_->mutex);
  if (impl_->faults.take_request_drop()) return request_failed;
  Impl::Board* board = impl_->board_by_handle(board_handle);
  if (board == nullptr || !board->firmware_loaded) return request_failed;
  if (request != chip_request || value != chip_bus_address || length < 0) return request_failed;
  const double now_s = impl_->clock.monotonic_seconds();
  if (direction == 0) {
    // Data byte in bits 15..8, register in 7..0; nothing else may be set.
    if (index < 0 || index > 0xFFFF) return request_failed;
    board->chip->write(static_cast<std::uint8_t>(index & 0xFF),
                       static_cast<std::uint8_t>(index >> 8), now_s);
    return 0;
  }
  if (direction == 1) {
    if (length < 1 || data == nullptr || index < 0 || index > 0xFF) return request_failed;
    const auto reg = static_cast<std::uint8_t>(index);
    std::uint8_t byte = board->chip->read(reg, now_s);
    if (impl_->faults.reads_back_wrong(reg)) byte = static_cast<std::uint8_t>(~byte);
    data[0] = byte;
    return 1;
  }
  return request_failed;
}

void VirtualBoard::set_dut(const std::string& expression) {
  circuit::CircuitExpression parsed = circuit::CircuitExpression::parse(expression);
  const std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->dut = std::move(parsed);
}

const std::string& VirtualBoard::dut() const {
  return impl_->dut.text();
}

void VirtualBoard::fault(const std::string& name, const std::vector<std::string>& args) {
  const std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->faults.apply(name, args);
}

std::vector<std::string> VirtualBoard::active_faults() const {
  const std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->faults.active();
}

std::string VirtualBoard::fault_help() {
  return FaultSet::help();
}

}  // namespace quelnor::sim

namespace quelnor::sim {

void VirtualBoard::set_feedback_resistance(double ohm) {
  const std::lock_guard<std::mutex> lock(impl_->mutex);
  check_feedback_resistance(ohm);
  impl_->options.feedback_resistance_ohm = ohm;
  for (Impl::Board& board : impl_->boards) board.chip->set_feedback_resistance(ohm);
}

double VirtualBoard::feedback_resistance() const {
  return impl_->options.feedback_resistance_ohm;
}

}  // namespace quelnor::sim
